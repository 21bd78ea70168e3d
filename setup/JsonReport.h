#pragma once
// The unattended mode's machine-readable report: JSON Lines, UTF-8, one
// object per item and phase, then one summary object.

#include <cstddef>
#include <optional>
#include <string>

#include "runtime/String.h"

namespace varnel::setup {

enum class ReportPhase { Register, Identity, WhatIf };

struct ReportItem {
  String Path;
  ReportPhase Phase = ReportPhase::Register;
  bool Ok = true;
  String Error;  // written only when !Ok
  // Identity and what-if lines only.
  String ProgId;
  String Clsid;                 // "" when the class is not registered
  std::optional<String> RunAs;  // null when the AppID holds none
};

// {"path", "phase", "ok", ["error",] ["progId", "clsid", "runAs"]}
std::string ReportItemLine(const ReportItem& item);

// {"summary": "success"|"errors", "servers", "failed", "seconds"}
std::string ReportSummaryLine(bool success, std::size_t servers, std::size_t failed,
                              double seconds);

}  // namespace varnel::setup
