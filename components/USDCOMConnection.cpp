#include "components/USDCOMConnection.h"

#include <algorithm>

#include "components/GuidText.h"

namespace varnel::components {

void SDCOMConnection::SetServerNameNet(const String& value) {
  WriteServerName(FServerName, FServerGUID, value);
}

String SDCOMConnection::ServerGUIDNet() const {
  return IsBlankIdentifier(FServerGUID) ? String() : FormatGuid(FServerGUID);
}

void SDCOMConnection::SetServerGUIDNet(const String& value) {
  WriteServerGUID(FServerName, FServerGUID, value, ParseGuid);
}

String SDCOMConnection::FailureMessage(const String& caught) const {
  const String& computer = ComputerName();
  const bool blank =
      std::all_of(computer.begin(), computer.end(), [](char16_t c) { return c <= u' '; });
  const String computerLine = u"ComputerName: " + (blank ? String(u"LocalMachine") : computer);
  return u"SDCOM " + Name() + u". Non successful connection Server!\r\r" + computerLine +
         u"\rServer Name: " + ServerName() + u"\r\rError message:\r" + caught;
}

void SDCOMConnection::SetConnected(bool value) {
  try {
    TDCOMConnection::SetConnected(value);
  } catch (const Exception& e) {
    // Only the text survives; the kind and any error code are dropped.
    throw Exception(FailureMessage(e.Message()));
  }
}

}  // namespace varnel::components
