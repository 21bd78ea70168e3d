#include "components/Connection.h"

#include <algorithm>

namespace varnel::components {

void TConnection::RegisterClient(IConnectionClient& client) { clients_.push_back(&client); }

void TConnection::UnRegisterClient(IConnectionClient& client) { std::erase(clients_, &client); }

void TConnection::DoConnect() {}

void TConnection::DoDisconnect() {}

bool TConnection::GetConnected() const { return false; }

void TConnection::SetConnected(bool value) {
  if (Reading() && value) {
    // The layout asks for a connection; it is made once loading is over.
    streamedConnected_ = true;
    return;
  }
  if (value == GetConnected()) return;
  if (value) {
    if (beforeConnect_) beforeConnect_(*this);
    DoConnect();
    SendConnectEvent(true);
    if (afterConnect_) afterConnect_(*this);
  } else {
    if (beforeDisconnect_) beforeDisconnect_(*this);
    SendConnectEvent(false);
    DoDisconnect();
    if (afterDisconnect_) afterDisconnect_(*this);
  }
}

void TConnection::Loaded() {
  TComponent::Loaded();
  if (streamedConnected_) {
    streamedConnected_ = false;
    SetConnected(true);
  }
}

void TConnection::SendConnectEvent(bool connecting) {
  // A copy, so that a client may unregister while it is told.
  const std::vector<IConnectionClient*> clients = clients_;
  for (IConnectionClient* client : clients) client->ConnectChange(*this, connecting);
}

}  // namespace varnel::components
