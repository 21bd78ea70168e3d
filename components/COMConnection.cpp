#include "components/COMConnection.h"

#include "components/GuidText.h"

namespace varnel::components {

Exception TCOMConnection::NothingToConnect() const {
  return Exception(u"Cannot connect, " + Name() +
                   u" must contain a valid ServerName or ServerGUID");
}

Guid TCOMConnection::ResolveServerCLSID() const {
  const Guid& stored = ServerCLSIDField();
  if (!IsNullGuid(stored)) return stored;
  if (ServerName().empty()) throw NothingToConnect();
  return Registry().ClassOf(ServerName());
}

void TCOMConnection::SetConnected(bool value) {
  if (value && !Reading() && !Connected() && IsNullGuid(ResolveServerCLSID()))
    throw NothingToConnect();
  TDispatchConnection::SetConnected(value);
}

void TCOMConnection::DoConnect() {
  const Guid clsid = ResolveServerCLSID();
  ServerObject server;
  try {
    server = Registry().Create(clsid, String(), kCLSCTX_INPROC_SERVER | kCLSCTX_LOCAL_SERVER);
  } catch (const EOleSysError& failure) {
    throw EOleSysError(failure.Message() + u", ClassID: " + Registry().TextOf(clsid),
                       failure.ErrorCode);
  }
  SetServer(std::move(server));
}

}  // namespace varnel::components
