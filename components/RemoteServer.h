#pragma once
// The remote server layer: the server object, empty while not connected.

#include "components/Connection.h"
#include "platform/ClassRegistry.h"

namespace varnel::components {

class TRemoteServer : public TConnection {
 public:
  explicit TRemoteServer(TComponent* owner = nullptr) : TConnection(owner) {}

  // 5. and 6. of the virtual operations: the server object's getter and setter.
  virtual ServerObject GetServer() const { return server_; }
  virtual void SetServer(ServerObject server) { server_ = std::move(server); }

 private:
  ServerObject server_;
};

}  // namespace varnel::components
