#pragma once
// The unattended mode's machine-readable report: JSON Lines, UTF-8, one
// object per item and phase, then one summary object.

#include <cstddef>
#include <string>

#include "setup/RegistrationJob.h"

namespace varnel::setup {

// {"path", "phase", "ok", ["error",] ["progId", "clsid", "runAs"]}, with
// phase "register", "identity", "whatif" or "verify" (which gives only the
// progId); runAs is null when the AppID holds none.
std::string ReportItemLine(const ItemResult& item);

// Identity lines add "appId" (null when unknown), "runAsBefore", "changed";
// what-if lines "runAsBefore" and "wouldChange"; either a "note" when there
// is one.

// How a run ended, for its last line.
struct ReportSummary {
  const char* Result = "success";  // "success", "errors" or "refused"
  std::size_t Servers = 0;
  std::size_t Failed = 0;
  double Seconds = 0;
  std::size_t Changed = 0;  // identities set anew (a what-if: that would be)
  String Identity{};        // "interactive", "launching" or "user"
  String Host{};            // the computer's name
  String Started{};         // ISO 8601, UTC
  int ExitCode = 0;
  String Reason{};  // why a command line was refused
};

// {"summary", "servers", "failed", "seconds", "changed", "identity", "host",
//  "started", "exitCode"[, "reason"]}
std::string ReportSummaryLine(const ReportSummary& summary);

}  // namespace varnel::setup
