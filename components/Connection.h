#pragma once
// The connection layer: the Connected state behind virtual operations, the
// connect and disconnect events, and the clients told about both.

#include <functional>
#include <vector>

#include "components/Component.h"

namespace varnel::components {

class TConnection;

// An object that wants to know when a connection opens or closes.
class IConnectionClient {
 public:
  virtual void ConnectChange(TConnection& sender, bool connecting) = 0;

 protected:
  ~IConnectionClient() = default;
};

class TConnection : public TComponent {
 public:
  using TNotifyEvent = std::function<void(TConnection& sender)>;

  explicit TConnection(TComponent* owner = nullptr) : TComponent(owner) {}

  bool Connected() const { return GetConnected(); }

  bool LoginPrompt() const noexcept { return loginPrompt_; }
  void SetLoginPrompt(bool value) noexcept { loginPrompt_ = value; }

  const TNotifyEvent& BeforeConnect() const noexcept { return beforeConnect_; }
  void SetBeforeConnect(TNotifyEvent handler) { beforeConnect_ = std::move(handler); }
  const TNotifyEvent& AfterConnect() const noexcept { return afterConnect_; }
  void SetAfterConnect(TNotifyEvent handler) { afterConnect_ = std::move(handler); }
  const TNotifyEvent& BeforeDisconnect() const noexcept { return beforeDisconnect_; }
  void SetBeforeDisconnect(TNotifyEvent handler) { beforeDisconnect_ = std::move(handler); }
  const TNotifyEvent& AfterDisconnect() const noexcept { return afterDisconnect_; }
  void SetAfterDisconnect(TNotifyEvent handler) { afterDisconnect_ = std::move(handler); }

  // Clients are not owned; one must unregister before it goes away.
  void RegisterClient(IConnectionClient& client);
  void UnRegisterClient(IConnectionClient& client);
  int ClientCount() const noexcept { return static_cast<int>(clients_.size()); }

  // The virtual operations, in their fixed order. Replacements call the one
  // before them where the layer adds to it.
  virtual void DoConnect();               // 1. the connect step
  virtual void DoDisconnect();            // 2. the disconnect step
  virtual bool GetConnected() const;      // 3. the Connected getter
  virtual void SetConnected(bool value);  // 4. the Connected setter

 protected:
  void Loaded() override;

 private:
  void SendConnectEvent(bool connecting);

  bool loginPrompt_ = false;
  bool streamedConnected_ = false;  // a connect asked for while reading
  TNotifyEvent beforeConnect_;
  TNotifyEvent afterConnect_;
  TNotifyEvent beforeDisconnect_;
  TNotifyEvent afterDisconnect_;
  std::vector<IConnectionClient*> clients_;
};

}  // namespace varnel::components
