#pragma once
// The DCOM connection: connects on this machine or on the computer named
// in ComputerName.

#include "components/COMConnection.h"

// <windows.h> makes SetComputerName a macro for its own function. The
// property setter below must keep its name in every file, with or without
// that header, so the macro goes.
#ifdef SetComputerName
#undef SetComputerName
#endif

namespace varnel::components {

class TDCOMConnection : public TCOMConnection {
 public:
  TDCOMConnection(TComponent* owner, IClassRegistry& registry) : TCOMConnection(owner, registry) {}

  const String& ComputerName() const noexcept { return computerName_; }
  // A different name disconnects first.
  void SetComputerName(const String& value);

  void DoConnect() override;

 private:
  String computerName_;
};

}  // namespace varnel::components
