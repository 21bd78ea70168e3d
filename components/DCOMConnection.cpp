#include "components/DCOMConnection.h"

namespace varnel::components {

namespace {

char16_t FoldCase(char16_t c) {
  return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
}

// Computer names are compared without regard to letter case.
bool SameComputer(const String& a, const String& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  return true;
}

}  // namespace

void TDCOMConnection::SetComputerName(const String& value) {
  if (value == computerName_) return;
  SetConnected(false);
  computerName_ = value;
}

void TDCOMConnection::DoConnect() {
  const Guid clsid = ResolveServerCLSID();
  const String computer =
      ObjectBroker() ? ObjectBroker()->GetComputerForGUID(clsid) : computerName_;
  // Not trimmed: a name of blanks is a name, and the platform is asked for it.
  if (computer.empty()) {
    TCOMConnection::DoConnect();
    return;
  }
  IClassRegistry& registry = Registry();
  if (!registry.RemoteAvailable()) throw Exception(u"DCOM not installed");
  // On this machine's own name every context may serve the class.
  const std::uint32_t context =
      SameComputer(computer, registry.LocalComputerName())
          ? kCLSCTX_INPROC_SERVER | kCLSCTX_LOCAL_SERVER | kCLSCTX_REMOTE_SERVER
          : kCLSCTX_REMOTE_SERVER;
  SetServer(registry.Create(clsid, computer, context));
}

}  // namespace varnel::components
