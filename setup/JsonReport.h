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

// {"summary": "success"|"errors", "servers", "failed", "seconds"}
std::string ReportSummaryLine(bool success, std::size_t servers, std::size_t failed,
                              double seconds);

}  // namespace varnel::setup
