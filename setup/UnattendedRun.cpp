#include "setup/UnattendedRun.h"

#include <cmath>
#include <memory>

#include "runtime/Exceptions.h"
#include "setup/JsonReport.h"
#include "setup/RegistrationJob.h"
#include "setup/ServerSteps.h"

namespace varnel::setup {

namespace {

// Writes each result as one line for a person and one for the report.
class Reporter final : public IItemResults {
 public:
  explicit Reporter(UnattendedOutput& output) : output_(output) {}

  void ResultadoDelItem(const ItemResult& item) override {
    static constexpr const char16_t* kPhaseWord[] = {u"Registro ", u"Identidad", u"Consulta ",
                                                     u"Arranque ", u"Búsqueda "};
    String line = String(kPhaseWord[static_cast<int>(item.Phase)]) + u" " + item.Path + u": ";
    line += item.Ok ? u"correcto" : u"ERROR: " + item.Reason;
    if (item.Phase == RunPhase::Verificacion) line += u"; " + item.ProgId;
    if (item.Phase == RunPhase::Identidad || item.Phase == RunPhase::Consulta) {
      const RunAsValue& runAs = item.Identity.RunAs;
      line += u"; " + item.ProgId + u" " + (item.Clsid.empty() ? u"(sin CLSID)" : item.Clsid) +
              u", RunAs " + (runAs.ValuePresent ? u"\"" + runAs.Text + u"\"" : u"(ninguno)");
    }
    output_.Line(line);
    if (output_.Report) output_.Report(ReportItemLine(item));
  }

  void Summary(bool success, std::size_t servers, std::size_t failed, double seconds) {
    if (output_.Report)
      output_.Report(
          ReportSummaryLine(success, servers, failed, std::round(seconds * 1000) / 1000));
  }

 private:
  UnattendedOutput& output_;
};

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

}  // namespace

int RunUnattended(const UnattendedOptions& options, const String& password, JobServices& services,
                  const IStopSignal& stop, UnattendedOutput& output) {
  const TDateTime started = services.Clock.Now();
  const auto seconds = [&] { return (services.Clock.Now() - started) * 86400.0; };
  const JobRequest request{.EsteUsuario = options.Identity == IdentityOption::EsteUsuario,
                           .Usuario = options.Usuario,
                           .Contrasena = password,
                           .Confirmacion = password,
                           .Modo = options.Modo,
                           .Ruta = options.Path,
                           .Verificar = options.Verify};
  const OptionsIdentity identity(options, password);
  ServerSteps steps(services, identity);
  RegistrationJob job(steps, services.Folders);
  Reporter reporter(output);

  JobOutcome outcome;
  try {
    outcome =
        options.WhatIf
            ? job.Consultar(request, reporter)
            : job.Ejecutar(
                  request, [&] { return std::make_unique<LineProgress>(output, stop); }, &reporter);
  } catch (const Exception& e) {
    output.ErrorLine(PresentableMessage(e.Message()));
    return kExitRefused;
  }

  if (outcome.NothingFound()) {
    output.Line(kNothingFound);
    reporter.Summary(false, 0, 0, seconds());
    return kExitNothingFound;
  }
  const auto servers = static_cast<std::size_t>(outcome.Servers);
  if (options.WhatIf && outcome.Succeeded()) {
    reporter.Summary(true, servers, 0, seconds());
    return kExitSuccess;
  }

  std::size_t failed = static_cast<std::size_t>(outcome.Errores.Count());
  // An end outside the per-item guards names the item it ended at.
  if (outcome.EndedAt) {
    reporter.ResultadoDelItem(*outcome.EndedAt);
    ++failed;
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
  reporter.Summary(success, servers, failed, seconds());
  return success ? kExitSuccess : kExitErrors;
}

}  // namespace varnel::setup
