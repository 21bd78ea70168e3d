#include "components/COMConnection.h"

#include "components/GuidText.h"

namespace varnel {

Exception TCOMConnection::NothingToConnect() const {
  return Exception(u"Cannot connect, " + Name() +
                   u" must contain a valid ServerName or ServerGUID");
}

Guid TCOMConnection::ResolveServerCLSID() const {
  const Guid& stored = ServerCLSIDField();
  if (!IsNullGuid(stored)) return stored;
  if (ServerName().empty()) throw NothingToConnect();
  Guid id;
  const std::int32_t hr = Registry().CLSIDFromProgID(ServerName(), id);
  if (hr < 0) throw OleError(hr);
  return id;
}

String TCOMConnection::IdentifierText(const Guid& clsid) const {
  String text;
  const std::int32_t hr = Registry().StringFromCLSID(clsid, text);
  if (hr < 0) throw OleError(hr);
  return text;
}

void TCOMConnection::SetConnected(bool value) {
  if (value && !Reading() && !Connected() && IsNullGuid(ResolveServerCLSID()))
    throw NothingToConnect();
  TDispatchConnection::SetConnected(value);
}

void TCOMConnection::DoConnect() {
  const Guid clsid = ResolveServerCLSID();
  ServerObject server;
  const std::int32_t hr =
      Registry().CreateInstance(clsid, kCLSCTX_INPROC_SERVER | kCLSCTX_LOCAL_SERVER, server);
  if (hr < 0) {
    const EOleSysError failure = OleError(hr);
    throw EOleSysError(failure.Message() + u", ClassID: " + IdentifierText(clsid), hr);
  }
  SetServer(std::move(server));
}

}  // namespace varnel
