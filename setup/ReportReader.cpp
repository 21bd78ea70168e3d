#include "setup/ReportReader.h"

#include <set>
#include <string>

#include <nlohmann/json.hpp>

namespace varnel::setup {

namespace {

using nlohmann::json;

[[noreturn]] void Damaged(std::size_t line, StringView what) {
  throw EReportError(u"El informe no es de Varnel.exe o está dañado: línea " +
                     IntToStr(static_cast<std::int64_t>(line)) + u": " + String(what) + u".");
}

bool Blank(std::string_view line) { return line.find_first_not_of(" \t\r") == line.npos; }

bool KnownPhase(const std::string& phase) {
  return phase == "register" || phase == "identity" || phase == "whatif" || phase == "verify" ||
         phase == "restore";
}

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// The AppID becomes a registry key name under ...\AppID: nothing but the
// braced 8-4-4-4-12 form may get there.
bool IsBracedGuid(const std::string& text) {
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
  for (std::size_t i = 1; i < 37; ++i) {
    const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash ? text[i] != '-' : !IsHex(text[i])) return false;
  }
  return true;
}

// Key names are compared without regard to letter case, as the registry does.
std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

String Text(const json& value) { return FromUtf8(value.get_ref<const std::string&>()); }

// An item line: checked whatever its phase; an identity line that names an
// AppID is added unless that AppID came before.
void ReadItem(const json& item, std::size_t line, std::vector<ReportedIdentity>& identities,
              std::set<std::string>& seen) {
  const auto path = item.find("path");
  const auto phase = item.find("phase");
  if (path == item.end() || !path->is_string() || phase == item.end() || !phase->is_string() ||
      !KnownPhase(phase->get_ref<const std::string&>()))
    Damaged(line, u"no es una línea del informe");
  const auto ok = item.find("ok");
  if (ok == item.end() || !ok->is_boolean()) Damaged(line, u"falta \"ok\" o no es true ni false");
  if (*phase != "identity") return;

  // Every identity line is taken, "ok" or not: a step fails also when
  // DComPerm ran and only the check of RunAs afterwards found it wrong, and
  // then the value may well have changed.
  const auto appId = item.find("appId");
  if (appId == item.end()) Damaged(line, u"falta \"appId\"");
  const auto before = item.find("runAsBefore");
  if (before != item.end() && !before->is_string() && !before->is_null())
    Damaged(line, u"\"runAsBefore\" no es texto ni null");
  // No AppID (the class was not registered): DComPerm was not started, so
  // there is nothing to put back.
  if (appId->is_null() || (appId->is_string() && appId->get_ref<const std::string&>().empty()))
    return;
  if (!appId->is_string() || !IsBracedGuid(appId->get_ref<const std::string&>()))
    Damaged(line, u"\"appId\" no es un identificador entre llaves");
  if (before == item.end()) Damaged(line, u"falta \"runAsBefore\"");
  const auto progId = item.find("progId");
  if (progId == item.end() || !progId->is_string())
    Damaged(line, u"falta \"progId\" o no es texto");

  // Servers that share an AppID each report it: the first line holds the
  // value from before the run, a later one what an earlier step left.
  if (!seen.insert(Upper(appId->get<std::string>())).second) return;
  ReportedIdentity identity;
  identity.Path = Text(*path);
  identity.ProgId = Text(*progId);
  identity.AppId = Text(*appId);
  if (before->is_string()) identity.RunAsBefore = Text(*before);
  identities.push_back(std::move(identity));
}

}  // namespace

std::vector<ReportedIdentity> IdentitiesToRestore(std::string_view report) {
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  if (report.starts_with(kBom)) report.remove_prefix(kBom.size());

  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < report.size();) {
    std::size_t end = report.find('\n', start);
    if (end == report.npos) end = report.size();
    std::string_view line = report.substr(start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  std::size_t count = lines.size();
  while (count > 0 && Blank(lines[count - 1])) --count;
  if (count == 0) Damaged(1, u"el archivo está vacío");

  std::vector<ReportedIdentity> identities;
  std::set<std::string> seen;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t number = i + 1;
    const std::string_view line = lines[i];
    if (Blank(line)) Damaged(number, u"línea en blanco");
    // Text that does not survive the round trip holds bytes that are not
    // UTF-8 (a file saved as UTF-16 fails here, at line 1).
    if (ToUtf8(FromUtf8(line)) != line) Damaged(number, u"no es texto UTF-8");
    // The parser would take a NUL byte for the end of the text and accept
    // whatever follows it.
    const json object = line.find('\0') == line.npos ? json::parse(line, nullptr, false)
                                                     : json(json::value_t::discarded);
    if (!object.is_object()) Damaged(number, u"no es un objeto JSON");
    const bool last = number == count;
    if (const auto summary = object.find("summary"); summary != object.end()) {
      if (!summary->is_string()) Damaged(number, u"\"summary\" no es texto");
      if (!last) Damaged(number, u"la línea de resumen no es la última");
      continue;
    }
    ReadItem(object, number, identities, seen);
    if (last) Damaged(number, u"falta la línea de resumen al final");
  }
  return identities;
}

}  // namespace varnel::setup
