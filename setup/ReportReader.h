#pragma once
// Reading back an earlier report of the unattended mode (JsonReport.h) for
// /restore: which AppIDs it set, and the RunAs each one held before.

#include <optional>
#include <string_view>
#include <vector>

#include "runtime/Exceptions.h"
#include "runtime/String.h"

namespace varnel::setup {

// A report that is not one of ours, or is damaged. The message names the
// 1-based line: "El informe no es de Varnel.exe o está dañado: línea 3: ...".
class EReportError : public Exception {
 public:
  using Exception::Exception;
};

// One AppID an identity step worked on, and the RunAs to put back.
struct ReportedIdentity {
  String Path;
  String ProgId;
  String AppId;                       // braced identifier, as the report gives it
  std::optional<String> RunAsBefore;  // nullopt: there was no value ("Launching User")
};

// The bytes of a whole report: UTF-8 JSON Lines (a BOM and CRLF line ends
// are taken; blank lines only at the end), every line an item line of a
// known phase or the summary, which comes once, last. Gives every identity
// line that names an AppID, failed ones too, in the report's order, an AppID
// once (its first line). An identity line must carry "appId"; null or ""
// there (no class registered, so DComPerm never ran) gives nothing. Throws
// EReportError at the first line that breaks a rule.
std::vector<ReportedIdentity> IdentitiesToRestore(std::string_view report);

}  // namespace varnel::setup
