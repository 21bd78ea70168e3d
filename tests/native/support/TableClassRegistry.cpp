#include "TableClassRegistry.h"

#include <algorithm>

#include "components/GuidText.h"
#include "runtime/Exceptions.h"

namespace varnel {

using namespace varnel::components;

namespace {

char16_t FoldCase(char16_t c) {
  return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
}

// The registry's keys are found without regard to letter case.
bool SameName(const String& a, const String& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char16_t x, char16_t y) { return FoldCase(x) == FoldCase(y); });
}

}  // namespace

void TableClassRegistry::Register(const String& progID, const Guid& clsid, Factory factory) {
  Unregister(progID);
  entries_.push_back(Entry{progID, clsid, std::move(factory)});
}

void TableClassRegistry::Unregister(const String& progID) {
  std::erase_if(entries_, [&](const Entry& e) { return SameName(e.progID, progID); });
}

void TableClassRegistry::SetErrorText(std::int32_t code, String text) {
  errorTexts_[code] = std::move(text);
}

void TableClassRegistry::Fail(std::int32_t code) const {
  const auto found = errorTexts_.find(code);
  throw EOleSysError(found != errorTexts_.end()
                         ? found->second
                         : u"OLE error " + IntToHex(static_cast<std::uint32_t>(code), 8),
                     code);
}

const TableClassRegistry::Entry* TableClassRegistry::FindByName(const String& progID) const {
  for (const Entry& e : entries_)
    if (SameName(e.progID, progID)) return &e;
  return nullptr;
}

const TableClassRegistry::Entry* TableClassRegistry::FindByCLSID(const Guid& clsid) const {
  for (const Entry& e : entries_)
    if (e.clsid == clsid) return &e;
  return nullptr;
}

Guid TableClassRegistry::ClassOf(const String& progID) {
  ++nameLookups_;
  const Entry* entry = FindByName(progID);
  if (!entry) Fail(kCO_E_CLASSSTRING);
  return entry->clsid;
}

std::optional<String> TableClassRegistry::NameOf(const Guid& clsid) {
  const Entry* entry = FindByCLSID(clsid);
  if (!entry) return std::nullopt;
  return entry->progID;
}

String TableClassRegistry::TextOf(const Guid& clsid) {
  ++textOfCalls_;
  if (textOfFailure_ != 0) Fail(textOfFailure_);
  return FormatGuid(clsid);
}

Guid TableClassRegistry::ClassOfText(const String& text) {
  if (!text.empty() && text[0] == u'{') {
    // The platform's form is strict: the closing brace too.
    if (text.back() != u'}') Fail(kCO_E_CLASSSTRING);
    try {
      return ParseGuid(text);
    } catch (const EConvertError&) {
      Fail(kCO_E_CLASSSTRING);
    }
  }
  const Entry* entry = FindByName(text);
  if (!entry) Fail(kCO_E_CLASSSTRING);
  return entry->clsid;
}

ServerObject TableClassRegistry::Create(const Guid& clsid, const String& computer,
                                        std::uint32_t context) {
  createCalls_.push_back(CreateCall{!computer.empty(), clsid, computer, context});
  const Entry* entry = FindByCLSID(clsid);
  if (!entry) Fail(kREGDB_E_CLASSNOTREG);
  if (!entry->factory) Fail(kCO_E_SERVER_EXEC_FAILURE);
  ServerObject created = entry->factory();
  if (!created) Fail(kE_NOINTERFACE);
  return created;
}

}  // namespace varnel
