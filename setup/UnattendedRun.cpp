#include "setup/UnattendedRun.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>

#include "runtime/Exceptions.h"
#include "setup/JsonReport.h"
#include "setup/RegistrationJob.h"
#include "setup/RestoreRun.h"
#include "setup/ServerSteps.h"
#include "versioninfo/FileBytes.h"

namespace varnel::setup {

namespace {

// Writes each result as one line for a person and one for the report.
class Reporter final : public IItemResults {
 public:
  explicit Reporter(UnattendedOutput& output) : output_(output) {}

  void ResultadoDelItem(const ItemResult& item) override {
    static constexpr const char16_t* kPhaseWord[] = {u"Registro ", u"Identidad", u"Consulta ",
                                                     u"Arranque ", u"Búsqueda ", u"Restaurar"};
    String line = String(kPhaseWord[static_cast<int>(item.Phase)]) + u" " + item.Path + u": ";
    line += item.Ok ? u"correcto" : u"ERROR: " + item.Reason;
    // A re-run that finds the identity in place says so.
    const bool sets = item.Phase == RunPhase::Identidad || item.Phase == RunPhase::Restauracion;
    if (item.Ok && sets && !item.Identity.Changed) line += u", sin cambios";
    if (item.Phase == RunPhase::Consulta)
      line += item.Identity.Changed ? u", cambiaría" : u", sin cambios";
    if (sets && item.Identity.Changed && item.Ok) ++changed_;
    if (item.Phase == RunPhase::Consulta && item.Identity.Changed) ++changed_;
    if (item.Phase == RunPhase::Verificacion) line += u"; " + item.ProgId;
    if (sets || item.Phase == RunPhase::Consulta) {
      const RunAsValue& runAs = item.Identity.RunAs;
      // A restore knows the AppID it wrote, not the class.
      const String& key = item.Phase == RunPhase::Restauracion ? item.Identity.AppId : item.Clsid;
      line += u"; " + item.ProgId + u" " + (key.empty() ? u"(sin CLSID)" : key) + u", RunAs " +
              (runAs.ValuePresent ? u"\"" + runAs.Text + u"\"" : u"(ninguno)");
    }
    output_.Line(line);
    if (output_.Report) output_.Report(ReportItemLine(item));
  }

  // The last line; `summary` gets the number of identities changed here.
  void Summary(ReportSummary summary) {
    summary.Changed = changed_;
    summary.Seconds = std::round(summary.Seconds * 1000) / 1000;
    if (output_.Report) output_.Report(ReportSummaryLine(summary));
  }

 private:
  UnattendedOutput& output_;
  std::size_t changed_ = 0;
};

const char16_t* IdentityName(IdentityOption option) {
  switch (option) {
    case IdentityOption::UsuarioInteractivo:
      return u"interactive";
    case IdentityOption::UsuarioInicial:
      return u"launching";
    case IdentityOption::EsteUsuario:
      return u"user";
  }
  return u"";
}

// Now, in ISO 8601 and UTC: when a fleet's reports are read side by side,
// the hosts' own time zones must not matter.
String UtcNow() {
  using namespace std::chrono;
  const auto now = floor<seconds>(system_clock::now());
  const auto day = floor<days>(now);
  const year_month_day date{day};
  const hh_mm_ss time{now - day};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return FromUtf8(text);
}

// The command line's identity, read as the window's options are read.
class OptionsIdentity final : public IIdentitySource {
 public:
  OptionsIdentity(const UnattendedOptions& options, const String& password)
      : options_(options), password_(password) {}
  bool InteractivoSelected() const override { return Is(IdentityOption::UsuarioInteractivo); }
  bool InicialSelected() const override { return Is(IdentityOption::UsuarioInicial); }
  bool EsteUsuarioSelected() const override { return Is(IdentityOption::EsteUsuario); }
  String Usuario() const override { return options_.Usuario; }
  String Contrasena() const override { return password_; }

 private:
  bool Is(IdentityOption option) const { return options_.Identity == option; }
  const UnattendedOptions& options_;
  const String& password_;
};

// The progress as lines: the phase texts; the items are the reporter's.
class LineProgress final : public progress::IRunProgress {
 public:
  LineProgress(UnattendedOutput& output, const IStopSignal& stop) : output_(output), stop_(stop) {}
  void Inicializar(std::int32_t, bool) override {}
  void MensajeDelProceso(const String& Value) override { output_.Line(Value); }
  void NombreItemActual(const String&) override {}
  void ItemActualTerminado() override {}
  void Finalizar() override {}
  bool ContinuarProceso() const override { return !stop_.StopRequested(); }

 private:
  UnattendedOutput& output_;
  const IStopSignal& stop_;
};

// /restore: the earlier report is read whole and refused, at its line,
// before anything is checked or changed.
JobOutcome RestaurarInforme(const UnattendedOptions& options, const String& password,
                            ServerSteps& steps, const IStopSignal& stop, Reporter& reporter) {
  std::vector<std::byte> bytes;
  if (const std::uint32_t error =
          versioninfo::StreamFileReader().ReadAll(options.RestorePath, bytes))
    throw Exception(u"No se pudo leer el informe " + options.RestorePath + u" (error " +
                    IntToStr(static_cast<std::int32_t>(error)) + u").");
  const std::vector<ReportedIdentity> identities = IdentitiesToRestore(
      std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  if (!options.WhatIf) steps.Comprobar(JobRequest{});
  return Restaurar(steps, identities, password, options.WhatIf, stop, reporter);
}

}  // namespace

int RunUnattended(const UnattendedOptions& options, const String& password, JobServices& services,
                  const IStopSignal& stop, UnattendedOutput& output) {
  const TDateTime started = services.Clock.Now();
  ReportSummary summary{
      .Identity = options.RestorePath.empty() ? IdentityName(options.Identity) : u"restore",
      .Started = UtcNow()};
  try {
    summary.Host = services.Classes.LocalComputerName();
  } catch (const std::exception&) {
    // The report is still written without the name.
  }
  const JobRequest request{.EsteUsuario = options.Identity == IdentityOption::EsteUsuario,
                           .Usuario = options.Usuario,
                           .Contrasena = password,
                           .Confirmacion = password,
                           .Modo = options.Modo,
                           .Ruta = options.Path,
                           .Verificar = options.Verify};
  const OptionsIdentity identity(options, password);
  // A re-run leaves an identity already in place alone, and says so.
  ServerSteps steps(services, identity, /*keepInPlace=*/true);
  if (options.TimeoutSeconds != 0) steps.LimitarEspera(options.TimeoutSeconds);
  RegistrationJob job(steps, services.Folders);
  Reporter reporter(output);
  const auto finish = [&](const char* result, int exitCode) {
    summary.Result = result;
    summary.ExitCode = exitCode;
    summary.Seconds = (services.Clock.Now() - started) * 86400.0;
    reporter.Summary(summary);
    return exitCode;
  };

  JobOutcome outcome;
  try {
    outcome =
        !options.RestorePath.empty() ? RestaurarInforme(options, password, steps, stop, reporter)
        : options.WhatIf
            ? job.Consultar(request, reporter)
            : job.Ejecutar(
                  request, [&] { return std::make_unique<LineProgress>(output, stop); }, &reporter);
  } catch (const Exception& e) {
    summary.Reason = PresentableMessage(e.Message());
    output.ErrorLine(summary.Reason);
    return finish("refused", kExitRefused);
  }

  if (outcome.NothingFound()) {
    output.Line(kNothingFound);
    return finish("errors", kExitNothingFound);
  }
  summary.Servers = static_cast<std::size_t>(outcome.Servers);
  if (options.WhatIf && outcome.Succeeded()) return finish("success", kExitSuccess);

  summary.Failed = static_cast<std::size_t>(outcome.Errores.Count());
  // An end outside the per-item guards names the item it ended at.
  if (outcome.EndedAt) {
    reporter.ResultadoDelItem(*outcome.EndedAt);
    ++summary.Failed;
  }
  const bool success = outcome.Succeeded();
  output.Line(outcome.SummaryText());
  if (outcome.Failure) {
    const String reason = [&] {
      try {
        std::rethrow_exception(outcome.Failure);
      } catch (...) {
        return CurrentExceptionMessage();
      }
    }();
    output.Line(u"El proceso terminó antes de tiempo: " + PresentableMessage(reason));
  }
  if (success) return finish("success", kExitSuccess);
  // Ctrl+C or Ctrl+Break has a code of its own: a script tells a person's
  // stop from a server that failed.
  return finish("errors", outcome.Stopped ? kExitStopped : kExitErrors);
}

}  // namespace varnel::setup
