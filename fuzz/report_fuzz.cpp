// libFuzzer entry for the reader of an earlier report (/restore): any bytes
// give either the identities to put back or EReportError naming a line of
// the input; what is taken has the AppID shape a registry key name may have,
// each AppID once; the tolerated forms (BOM, CRLF, blank lines at the end)
// change nothing in the outcome.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "setup/ReportReader.h"

using varnel::String;
using varnel::setup::EReportError;
using varnel::setup::IdentitiesToRestore;
using varnel::setup::ReportedIdentity;

namespace {

bool IsHex(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

bool HasBracedGuidShape(const String& text) {
  if (text.size() != 38 || text[0] != u'{' || text[37] != u'}') return false;
  for (std::size_t i = 1; i < 37; ++i) {
    const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash ? text[i] != u'-' : !IsHex(text[i])) return false;
  }
  return true;
}

String Upper(String text) {
  for (char16_t& c : text)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  return text;
}

struct Outcome {
  bool Accepted = false;
  std::vector<ReportedIdentity> Identities;
  String Message;
};

Outcome Read(std::string_view report) {
  Outcome outcome;
  try {
    outcome.Identities = IdentitiesToRestore(report);
    outcome.Accepted = true;
  } catch (const EReportError& e) {
    outcome.Message = e.Message();
  }
  return outcome;
}

bool Same(const Outcome& a, const Outcome& b) {
  if (a.Accepted != b.Accepted || a.Message != b.Message) return false;
  if (a.Identities.size() != b.Identities.size()) return false;
  for (std::size_t i = 0; i < a.Identities.size(); ++i) {
    const ReportedIdentity& x = a.Identities[i];
    const ReportedIdentity& y = b.Identities[i];
    if (x.Path != y.Path || x.ProgId != y.ProgId || x.AppId != y.AppId ||
        x.RunAsBefore != y.RunAsBefore)
      return false;
  }
  return true;
}

// The line number a refusal names, or 0 when the message is not of the form.
std::size_t NamedLine(const String& message) {
  const String prefix = u"El informe no es de Varnel.exe o está dañado: línea ";
  if (message.compare(0, prefix.size(), prefix) != 0 || message.back() != u'.') return 0;
  std::size_t line = 0;
  std::size_t i = prefix.size();
  for (; i < message.size() && message[i] >= u'0' && message[i] <= u'9' && line < 1000000; ++i)
    line = line * 10 + (message[i] - u'0');
  return i < message.size() && message[i] == u':' ? line : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string report(reinterpret_cast<const char*>(data), size);
  const Outcome outcome = Read(report);

  if (!outcome.Accepted) {
    const std::size_t lines =
        static_cast<std::size_t>(std::count(report.begin(), report.end(), '\n')) + 1;
    const std::size_t line = NamedLine(outcome.Message);
    if (line == 0 || line > lines) __builtin_trap();
  }
  // An accepted text is UTF-8 throughout, and holds no NUL byte (which the
  // JSON parser would take for the end of a line).
  if (outcome.Accepted &&
      (report.find('\0') != report.npos || varnel::ToUtf8(varnel::FromUtf8(report)) != report))
    __builtin_trap();
  std::set<String> seen;
  for (const ReportedIdentity& identity : outcome.Identities) {
    if (!HasBracedGuidShape(identity.AppId)) __builtin_trap();
    if (!seen.insert(Upper(identity.AppId)).second) __builtin_trap();
  }

  // The same text with a BOM, CRLF line ends and blank lines after it, and
  // without any of them, reads the same. Only one BOM is taken off: a text
  // that starts with two keeps the second as text.
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  const std::string plain = report.starts_with(kBom) ? report.substr(kBom.size()) : report;
  std::string lf;
  for (std::size_t i = 0; i < plain.size(); ++i)
    if (!(plain[i] == '\r' && i + 1 < plain.size() && plain[i + 1] == '\n')) lf += plain[i];
  std::string crlf(kBom);
  for (const char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  if (!lf.starts_with(kBom) && !Same(outcome, Read(lf))) __builtin_trap();
  if (!Same(outcome, Read(crlf + "\r\n \n\t"))) __builtin_trap();
  return 0;
}
