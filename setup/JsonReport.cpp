#include "setup/JsonReport.h"

#include <nlohmann/json.hpp>

namespace varnel::setup {

namespace {

const char* PhaseName(RunPhase phase) {
  switch (phase) {
    case RunPhase::Registro:
      return "register";
    case RunPhase::Identidad:
      return "identity";
    case RunPhase::Consulta:
      return "whatif";
    case RunPhase::Verificacion:
      return "verify";
    case RunPhase::Busqueda:
      return "search";
    case RunPhase::Restauracion:
      return "restore";
  }
  return "";
}

nlohmann::ordered_json RunAsJson(const RunAsValue& runAs) {
  return runAs.ValuePresent ? nlohmann::ordered_json(ToUtf8(runAs.Text)) : nullptr;
}

}  // namespace

std::string ReportItemLine(const ItemResult& item) {
  // ordered_json keeps the keys in the order a reader of the file expects.
  nlohmann::ordered_json line;
  line["path"] = ToUtf8(item.Path);
  line["phase"] = PhaseName(item.Phase);
  line["ok"] = item.Ok;
  if (!item.Ok) line["error"] = ToUtf8(item.Reason);
  if (item.Phase == RunPhase::Verificacion) line["progId"] = ToUtf8(item.ProgId);
  if (item.Phase == RunPhase::Identidad || item.Phase == RunPhase::Consulta ||
      item.Phase == RunPhase::Restauracion) {
    line["progId"] = ToUtf8(item.ProgId);
    line["clsid"] = ToUtf8(item.Clsid);
    const IdentityRecord& identity = item.Identity;
    line["runAs"] = RunAsJson(identity.RunAs);
    line["appId"] =
        identity.AppId.empty() ? nullptr : nlohmann::ordered_json(ToUtf8(identity.AppId));
    if (item.Phase != RunPhase::Consulta) {
      line["runAsBefore"] = identity.BeforeRead ? RunAsJson(identity.Before) : nullptr;
      line["changed"] = identity.Changed;
    } else {
      line["runAsBefore"] = RunAsJson(identity.Before);
      line["wouldChange"] = identity.Changed;
    }
    if (!identity.Note.empty()) line["note"] = ToUtf8(identity.Note);
  }
  // Text that is not valid UTF-16 (a lone surrogate in a file name) is
  // replaced rather than refused: the report must still be written.
  return line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string ReportSummaryLine(const ReportSummary& summary) {
  nlohmann::ordered_json line;
  line["summary"] = summary.Result;
  line["servers"] = summary.Servers;
  line["failed"] = summary.Failed;
  line["seconds"] = summary.Seconds;
  line["changed"] = summary.Changed;
  line["identity"] = ToUtf8(summary.Identity);
  line["host"] = ToUtf8(summary.Host);
  line["started"] = ToUtf8(summary.Started);
  line["exitCode"] = summary.ExitCode;
  if (!summary.Reason.empty()) line["reason"] = ToUtf8(summary.Reason);
  return line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace varnel::setup
