#pragma once
// A class registry held in a table, for builds and tests without COM. It
// gives the results the platform's calls give: names are found without
// regard to letter case, texts are the upper-case braced form, a text that
// is not braced is tried as a programmatic identifier. It also counts the
// calls so that tests can see which look-ups a component made.

#include <functional>
#include <map>
#include <vector>

#include "platform/ClassRegistry.h"

namespace varnel {

class TableClassRegistry final : public IClassRegistry {
 public:
  using Factory = std::function<ServerObject()>;

  // Registers `progID` for `clsid`. Objects of the class are made by
  // `factory`; a class without one fails to start (CO_E_SERVER_EXEC_FAILURE).
  void Register(const String& progID, const Guid& clsid, Factory factory = {});
  void Unregister(const String& progID);
  // The system text for a code; codes without one get "OLE error %.8x".
  void SetErrorText(std::int32_t code, String text);
  void SetComputerName(String name) { computerName_ = std::move(name); }
  void SetCreateInstanceExAvailable(bool available) { hasCreateInstanceEx_ = available; }
  // Makes StringFromCLSID fail with `code` (0 puts it back to normal), as
  // the platform does when it cannot allocate the text.
  void FailStringFromCLSID(std::int32_t code) { stringFromCLSIDFailure_ = code; }

  std::int32_t CLSIDFromProgID(const String& progID, Guid& clsid) override;
  std::int32_t ProgIDFromCLSID(const Guid& clsid, String& progID) override;
  std::int32_t StringFromCLSID(const Guid& clsid, String& text) override;
  std::int32_t CLSIDFromString(const String& text, Guid& clsid) override;
  String ErrorText(std::int32_t code) override;
  std::int32_t CreateInstance(const Guid& clsid, std::uint32_t context,
                              ServerObject& object) override;
  bool HasCreateInstanceEx() const override { return hasCreateInstanceEx_; }
  std::int32_t CreateInstanceEx(const Guid& clsid, const String& computer, std::uint32_t context,
                                ServerObject& object) override;
  String LocalComputerName() override { return computerName_; }

  // What the component asked for, for tests.
  struct CreateCall {
    bool ex = false;
    Guid clsid;
    String computer;
    std::uint32_t context = 0;
  };
  int ProgIDLookups() const { return progIDLookups_; }
  int StringFromCLSIDCalls() const { return stringFromCLSIDCalls_; }
  const std::vector<CreateCall>& CreateCalls() const { return createCalls_; }

 private:
  struct Entry {
    String progID;
    Guid clsid;
    Factory factory;
  };
  const Entry* FindByName(const String& progID) const;
  const Entry* FindByCLSID(const Guid& clsid) const;
  std::int32_t Create(const Guid& clsid, ServerObject& object) const;

  std::vector<Entry> entries_;
  std::map<std::int32_t, String> errorTexts_;
  String computerName_ = u"VARNELHOST";
  bool hasCreateInstanceEx_ = true;
  std::int32_t stringFromCLSIDFailure_ = kS_OK;
  int progIDLookups_ = 0;
  int stringFromCLSIDCalls_ = 0;
  std::vector<CreateCall> createCalls_;
};

}  // namespace varnel
