#include "platform/TableClassRegistry.h"

#include <algorithm>

namespace varnel {

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

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

// Reads `count` hex digits at `pos`; false when one is not a digit.
bool ReadHex(const String& text, std::size_t pos, std::size_t count, std::uint32_t& value) {
  value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const int digit = HexValue(text[pos + i]);
    if (digit < 0) return false;
    value = (value << 4) | static_cast<std::uint32_t>(digit);
  }
  return true;
}

// The platform's strict form: braces at both ends, dashes in place.
bool ParseBraced(const String& text, Guid& clsid) {
  if (text.size() != 38 || text[0] != u'{' || text[37] != u'}' || text[9] != u'-' ||
      text[14] != u'-' || text[19] != u'-' || text[24] != u'-')
    return false;
  Guid result;
  std::uint32_t part = 0;
  if (!ReadHex(text, 1, 8, part)) return false;
  result.Data1 = part;
  if (!ReadHex(text, 10, 4, part)) return false;
  result.Data2 = static_cast<std::uint16_t>(part);
  if (!ReadHex(text, 15, 4, part)) return false;
  result.Data3 = static_cast<std::uint16_t>(part);
  static constexpr std::size_t kBytePos[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (std::size_t i = 0; i < 8; ++i) {
    if (!ReadHex(text, kBytePos[i], 2, part)) return false;
    result.Data4[i] = static_cast<std::uint8_t>(part);
  }
  clsid = result;
  return true;
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

std::int32_t TableClassRegistry::CLSIDFromProgID(const String& progID, Guid& clsid) {
  ++progIDLookups_;
  const Entry* entry = FindByName(progID);
  if (!entry) {
    clsid = Guid{};
    return kCO_E_CLASSSTRING;
  }
  clsid = entry->clsid;
  return kS_OK;
}

std::int32_t TableClassRegistry::ProgIDFromCLSID(const Guid& clsid, String& progID) {
  const Entry* entry = FindByCLSID(clsid);
  if (!entry) return kREGDB_E_CLASSNOTREG;
  progID = entry->progID;
  return kS_OK;
}

std::int32_t TableClassRegistry::StringFromCLSID(const Guid& clsid, String& text) {
  ++stringFromCLSIDCalls_;
  if (stringFromCLSIDFailure_ != kS_OK) return stringFromCLSIDFailure_;
  // Built in a local: GCC 12 warns falsely about overlap when a literal is
  // assigned to a caller's string.
  String local(1, u'{');
  local += IntToHex(clsid.Data1, 8);
  local += u'-';
  local += IntToHex(clsid.Data2, 4);
  local += u'-';
  local += IntToHex(clsid.Data3, 4);
  local += u'-';
  for (std::size_t i = 0; i < 8; ++i) {
    if (i == 2) local += u'-';
    local += IntToHex(clsid.Data4[i], 2);
  }
  local += u'}';
  text = std::move(local);
  return kS_OK;
}

std::int32_t TableClassRegistry::CLSIDFromString(const String& text, Guid& clsid) {
  if (!text.empty() && text[0] == u'{') return ParseBraced(text, clsid) ? kS_OK : kCO_E_CLASSSTRING;
  const Entry* entry = FindByName(text);
  if (!entry) return kCO_E_CLASSSTRING;
  clsid = entry->clsid;
  return kS_OK;
}

String TableClassRegistry::ErrorText(std::int32_t code) {
  const auto found = errorTexts_.find(code);
  if (found != errorTexts_.end()) return found->second;
  return u"OLE error " + IntToHex(static_cast<std::uint32_t>(code), 8);
}

std::int32_t TableClassRegistry::Create(const Guid& clsid, ServerObject& object) const {
  const Entry* entry = FindByCLSID(clsid);
  if (!entry) return kREGDB_E_CLASSNOTREG;
  if (!entry->factory) return kCO_E_SERVER_EXEC_FAILURE;
  ServerObject created = entry->factory();
  if (!created || !created->Dispatch()) return kE_NOINTERFACE;
  object = std::move(created);
  return kS_OK;
}

std::int32_t TableClassRegistry::CreateInstance(const Guid& clsid, std::uint32_t context,
                                                ServerObject& object) {
  createCalls_.push_back(CreateCall{false, clsid, String(), context});
  return Create(clsid, object);
}

std::int32_t TableClassRegistry::CreateInstanceEx(const Guid& clsid, const String& computer,
                                                  std::uint32_t context, ServerObject& object) {
  createCalls_.push_back(CreateCall{true, clsid, computer, context});
  return Create(clsid, object);
}

}  // namespace varnel
