#include "components/DispatchConnection.h"

#include "components/GuidText.h"

namespace varnel {

TDispatchConnection::TDispatchConnection(TComponent* owner, IClassRegistry& registry)
    : TRemoteServer(owner), registry_(registry) {}

EOleSysError TDispatchConnection::OleError(std::int32_t code) const {
  return EOleSysError(registry_.ErrorText(code), code);
}

String TDispatchConnection::ServerGUID() const {
  if (IsBlankIdentifier(serverGuid_)) return String();
  String text;
  const std::int32_t hr = registry_.StringFromCLSID(serverGuid_, text);
  if (hr < 0) throw OleError(hr);
  return text;
}

void TDispatchConnection::SetServerGUID(const String& value) {
  WriteServerGUID(serverName_, serverGuid_, value, [this](const String& text) {
    Guid id;
    const std::int32_t hr = registry_.CLSIDFromString(text, id);
    if (hr < 0) throw OleError(hr);
    return id;
  });
}

void TDispatchConnection::SetServerName(const String& value) {
  WriteServerName(serverName_, serverGuid_, value);
}

void TDispatchConnection::WriteServerName(String& name, Guid& clsid, const String& value) {
  // Exact comparison: a name differing only in letter case is looked up again.
  if (value == name) return;
  if (!Loading()) {
    SetConnected(false);
    if (registry_.CLSIDFromProgID(value, clsid) != kS_OK) clsid = Guid{};
  }
  name = value;
}

void TDispatchConnection::WriteServerGUID(String& name, Guid& clsid, const String& value,
                                          const std::function<Guid(const String&)>& parse) {
  if (!Loading()) SetConnected(false);
  if (value.empty()) {
    clsid = Guid{};
    return;
  }
  clsid = parse(value);  // a failure leaves the pair as it was
  String progID;
  if (registry_.ProgIDFromCLSID(clsid, progID) == kS_OK) name = progID;
}

void TDispatchConnection::DoDisconnect() { SetServer(nullptr); }

bool TDispatchConnection::GetConnected() const {
  const ServerObject server = GetServer();
  return server && server->Dispatch() != nullptr;
}

void TDispatchConnection::SetConnected(bool value) {
  if (!Reading() && value && !Connected() && LoginPrompt()) {
    // No dialog in this layer: the user name comes from OnGetUsername and
    // OnLogin hears about it once the connection stands.
    String username;
    if (onGetUsername_) onGetUsername_(*this, username);
    TRemoteServer::SetConnected(value);
    if (Connected() && onLogin_) onLogin_(*this, username, String());
    return;
  }
  TRemoteServer::SetConnected(value);
}

}  // namespace varnel
