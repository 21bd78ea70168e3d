#pragma once
// The COM connection layer: resolves the class identifier and connects on
// this machine.

#include "components/DispatchConnection.h"

namespace varnel::components {

class TCOMConnection : public TDispatchConnection {
 public:
  TCOMConnection(TComponent* owner, IClassRegistry& registry)
      : TDispatchConnection(owner, registry) {}

  // Creates the object in-process or in a local server (context 5).
  void DoConnect() override;
  // Refuses to connect without a name or identifier that leads to a class.
  void SetConnected(bool value) override;

 protected:
  // The stored identifier, or the one registered for the stored name when
  // the identifier is all zeros. Raises when there is neither, and
  // EOleSysError when the name is not registered.
  Guid ResolveServerCLSID() const;

 private:
  Exception NothingToConnect() const;
};

}  // namespace varnel::components
