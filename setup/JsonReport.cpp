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
  }
  return "";
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
  if (item.Phase == RunPhase::Identidad || item.Phase == RunPhase::Consulta) {
    line["progId"] = ToUtf8(item.ProgId);
    line["clsid"] = ToUtf8(item.Clsid);
    const RunAsValue& runAs = item.Identity.RunAs;
    line["runAs"] = runAs.ValuePresent ? nlohmann::ordered_json(ToUtf8(runAs.Text)) : nullptr;
  }
  // Text that is not valid UTF-16 (a lone surrogate in a file name) is
  // replaced rather than refused: the report must still be written.
  return line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string ReportSummaryLine(bool success, std::size_t servers, std::size_t failed,
                              double seconds) {
  nlohmann::ordered_json line;
  line["summary"] = success ? "success" : "errors";
  line["servers"] = servers;
  line["failed"] = failed;
  line["seconds"] = seconds;
  return line.dump();
}

}  // namespace varnel::setup
