#pragma once
// SDCOMConnection: the DCOM connection of the shared component library. It
// adds a second, independent name and identifier pair with a plain text
// field, and reports every connection failure in its own words.

#include "components/DCOMConnection.h"

namespace varnel::components {

class SDCOMConnection : public TDCOMConnection {
 public:
  SDCOMConnection(TComponent* owner, IClassRegistry& registry) : TDCOMConnection(owner, registry) {}

  // The own pair: the same rules as ServerName and ServerGUID, but the
  // identifier's text is made and read by the component itself.
  const String& ServerNameNet() const noexcept { return FServerName; }
  void SetServerNameNet(const String& value);
  String ServerGUIDNet() const;
  // Raises EConvertError "'%s' is not a valid GUID value" for a bad text.
  void SetServerGUIDNet(const String& value);

  const String& PublicKeyToken() const noexcept { return FPublicKeyToken; }
  void SetPublicKeyToken(const String& value) { FPublicKeyToken = value; }

  // Any failure of the inherited setter comes out as one general Exception
  // whose seven lines name the component, the computer and the server.
  void SetConnected(bool value) override;

 private:
  String FailureMessage(const String& caught) const;

  Guid FServerGUID;
  String FServerName;
  String FPublicKeyToken;
};

}  // namespace varnel::components
