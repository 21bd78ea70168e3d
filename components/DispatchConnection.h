#pragma once
// The dispatch connection layer: the server's name and class identifier,
// the object broker and the login events. The class registry it looks
// names up in is handed in and must outlive the component.

#include <functional>

#include "components/RemoteServer.h"
#include "runtime/Exceptions.h"

namespace varnel::components {

// Chooses the computer a connection goes to.
class IObjectBroker {
 public:
  virtual String GetComputerForGUID(const Guid& clsid) = 0;

 protected:
  ~IObjectBroker() = default;
};

class TDispatchConnection : public TRemoteServer {
 public:
  using TGetUsernameEvent = std::function<void(TConnection& sender, String& username)>;
  using TLoginEvent =
      std::function<void(TConnection& sender, const String& username, const String& password)>;

  TDispatchConnection(TComponent* owner, IClassRegistry& registry);

  // The braced text of the class identifier; "" when its first three parts
  // are zero. A text the platform cannot make raises EOleSysError.
  String ServerGUID() const;
  // Disconnects (unless loading), then takes the identifier from the text
  // and the name registered for it, if any. "" clears the identifier.
  void SetServerGUID(const String& value);

  const String& ServerName() const noexcept { return serverName_; }
  // A new name disconnects (unless loading) and looks its identifier up;
  // an unregistered name leaves the identifier all zeros.
  void SetServerName(const String& value);

  IObjectBroker* ObjectBroker() const noexcept { return objectBroker_; }
  void SetObjectBroker(IObjectBroker* broker) noexcept { objectBroker_ = broker; }

  const TGetUsernameEvent& OnGetUsername() const noexcept { return onGetUsername_; }
  void SetOnGetUsername(TGetUsernameEvent handler) { onGetUsername_ = std::move(handler); }
  const TLoginEvent& OnLogin() const noexcept { return onLogin_; }
  void SetOnLogin(TLoginEvent handler) { onLogin_ = std::move(handler); }

  void DoDisconnect() override;
  bool GetConnected() const override;
  void SetConnected(bool value) override;

 protected:
  IClassRegistry& Registry() const noexcept { return registry_; }
  const Guid& ServerCLSIDField() const noexcept { return serverGuid_; }

  // Writing a server name on one name and identifier pair.
  void WriteServerName(String& name, Guid& clsid, const String& value);
  // Writing an identifier as text on one pair; `parse` turns a non-empty
  // text into an identifier or raises.
  void WriteServerGUID(String& name, Guid& clsid, const String& value,
                       const std::function<Guid(const String&)>& parse);

 private:
  IClassRegistry& registry_;
  Guid serverGuid_;
  String serverName_;
  IObjectBroker* objectBroker_ = nullptr;
  TGetUsernameEvent onGetUsername_;
  TLoginEvent onLogin_;
};

}  // namespace varnel::components
