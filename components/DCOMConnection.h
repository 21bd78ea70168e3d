#pragma once
// The DCOM connection: connects on this machine or on the computer named
// in ComputerName.

#include "components/COMConnection.h"

namespace varnel {

class TDCOMConnection : public TCOMConnection {
 public:
  TDCOMConnection(TComponent* owner, IClassRegistry& registry)
      : TCOMConnection(owner, registry) {}

  const String& ComputerName() const noexcept { return computerName_; }
  // A different name disconnects first.
  void SetComputerName(const String& value);

  void DoConnect() override;

 private:
  String computerName_;
};

}  // namespace varnel
