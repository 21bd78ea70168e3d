#pragma once
// A class registry held in a table, for tests without COM. It answers as the
// system's registry does: names are found without regard to letter case,
// texts are the upper-case braced form, a text that is not braced is tried
// as a programmatic identifier, failures carry the system's result codes.
// It also counts the calls so that tests can see which look-ups a component
// made.

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
  void SetRemoteAvailable(bool available) { remoteAvailable_ = available; }
  // Makes TextOf fail with `code` (0 puts it back to normal), as the
  // platform does when it cannot allocate the text.
  void FailTextOf(std::int32_t code) { textOfFailure_ = code; }

  Guid ClassOf(const String& progID) override;
  std::optional<String> NameOf(const Guid& clsid) override;
  String TextOf(const Guid& clsid) override;
  Guid ClassOfText(const String& text) override;
  ServerObject Create(const Guid& clsid, const String& computer, std::uint32_t context) override;
  bool RemoteAvailable() const override { return remoteAvailable_; }
  String LocalComputerName() override { return computerName_; }

  // What the component asked for, for tests.
  struct CreateCall {
    bool remote = false;
    Guid clsid;
    String computer;
    std::uint32_t context = 0;
  };
  int NameLookups() const { return nameLookups_; }
  int TextOfCalls() const { return textOfCalls_; }
  const std::vector<CreateCall>& CreateCalls() const { return createCalls_; }

 private:
  struct Entry {
    String progID;
    Guid clsid;
    Factory factory;
  };
  const Entry* FindByName(const String& progID) const;
  const Entry* FindByCLSID(const Guid& clsid) const;
  [[noreturn]] void Fail(std::int32_t code) const;

  std::vector<Entry> entries_;
  std::map<std::int32_t, String> errorTexts_;
  String computerName_ = u"VARNELHOST";
  bool remoteAvailable_ = true;
  std::int32_t textOfFailure_ = 0;
  int nameLookups_ = 0;
  int textOfCalls_ = 0;
  std::vector<CreateCall> createCalls_;
};

}  // namespace varnel
