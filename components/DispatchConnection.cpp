#include "components/DispatchConnection.h"

#include "components/GuidText.h"

namespace varnel::components {

TDispatchConnection::TDispatchConnection(TComponent* owner, IClassRegistry& registry)
    : TRemoteServer(owner), registry_(registry) {}

String TDispatchConnection::ServerGUID() const {
  if (IsBlankIdentifier(serverGuid_)) return String();
  return registry_.TextOf(serverGuid_);
}

void TDispatchConnection::SetServerGUID(const String& value) {
  WriteServerGUID(serverName_, serverGuid_, value,
                  [this](const String& text) { return registry_.ClassOfText(text); });
}

void TDispatchConnection::SetServerName(const String& value) {
  WriteServerName(serverName_, serverGuid_, value);
}

void TDispatchConnection::WriteServerName(String& name, Guid& clsid, const String& value) {
  // Exact comparison: a name differing only in letter case is looked up again.
  if (value == name) return;
  if (!Loading()) {
    SetConnected(false);
    try {
      clsid = registry_.ClassOf(value);
    } catch (const EOleSysError&) {
      clsid = Guid{};  // not registered: the name is kept without a class
    }
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
  if (auto progID = registry_.NameOf(clsid)) name = std::move(*progID);
}

void TDispatchConnection::DoDisconnect() { SetServer(nullptr); }

bool TDispatchConnection::GetConnected() const { return GetServer() != nullptr; }

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

}  // namespace varnel::components
