#include "setup/UnattendedRun.h"

#include <cmath>
#include <exception>
#include <memory>

#include "components/Component.h"
#include "components/USDCOMConnection.h"
#include "runtime/Exceptions.h"
#include "setup/CommandRunner.h"
#include "setup/FileSearch.h"
#include "setup/JsonReport.h"
#include "setup/RegistrationRun.h"
#include "setup/RunSummary.h"
#include "setup/ServerNames.h"
#include "setup/ServerSteps.h"

namespace varnel::setup {

namespace {

// Where the run is, so an early end can name the server it ended at.
struct Position {
  ReportPhase Phase = ReportPhase::Register;
  std::int32_t Done = 0;  // items of the current phase with a result
};

// Writes each result as one line for a person and one for the report.
class Reporter {
 public:
  explicit Reporter(UnattendedOutput& output) : output_(output) {}

  void Item(const ReportItem& item) {
    static constexpr const char16_t* kPhaseWord[] = {u"Registro ", u"Identidad", u"Consulta "};
    String line = String(kPhaseWord[static_cast<int>(item.Phase)]) + u" " + item.Path + u": ";
    line += item.Ok ? u"correcto" : u"ERROR: " + item.Error;
    if (item.Phase != ReportPhase::Register) {
      line += u"; " + item.ProgId + u" " + (item.Clsid.empty() ? u"(sin CLSID)" : item.Clsid) +
              u", RunAs " + (item.RunAs ? u"\"" + *item.RunAs + u"\"" : u"(ninguno)");
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

// The progress as lines: the phase texts, and each item's result.
class LineProgress final : public IRunProgress {
 public:
  LineProgress(UnattendedOutput& output, Reporter& reporter, const IStopSignal& stop,
               IAppIdRegistry& appIds, Position& position)
      : output_(output), reporter_(reporter), stop_(stop), appIds_(appIds), position_(position) {}

  void Inicializar(std::int32_t, bool) override {
    if (started_) position_.Phase = ReportPhase::Identity;
    started_ = true;
    position_.Done = 0;
  }
  void MensajeDelProceso(const String& value) override { output_.Line(value); }
  void NombreItemActual(const String&) override {}
  void ItemActualTerminado() override {}
  void Finalizar() override {}
  bool ContinuarProceso() const override { return !stop_.StopRequested(); }

  void ResultadoDelItem(const ItemResult& result) override {
    ReportItem item;
    item.Path = result.Path;
    item.Phase = result.Phase == RunPhase::Registro ? ReportPhase::Register : ReportPhase::Identity;
    item.Ok = result.Ok;
    item.Error = result.Reason;
    item.ProgId = result.ProgId;
    item.Clsid = result.Clsid;
    if (item.Phase == ReportPhase::Identity) {
      // What the registry holds afterwards, also when the step ended before
      // reading it back (a stop, a refused start).
      RunAsValue runAs = result.Identity.RunAs;
      if (!result.Identity.RunAsRead && !result.Identity.AppId.empty())
        runAs = appIds_.ReadRunAs(result.Identity.AppId);
      if (runAs.ValuePresent) item.RunAs = runAs.Text;
    }
    reporter_.Item(item);
    ++position_.Done;
  }

 private:
  UnattendedOutput& output_;
  Reporter& reporter_;
  const IStopSignal& stop_;
  IAppIdRegistry& appIds_;
  Position& position_;
  bool started_ = false;
};

// /whatif: what each server has now, starting nothing and changing nothing.
void Inspect(const TStringList& archivos, UnattendedServices& services, Reporter& reporter,
             Position& position) {
  position.Phase = ReportPhase::WhatIf;
  position.Done = 0;
  TComponent components;
  SDCOMConnection* dcom = new SDCOMConnection(&components, services.Classes);
  for (const String& path : archivos) {
    ReportItem item;
    item.Path = path;
    item.Phase = ReportPhase::WhatIf;
    item.ProgId = ProgIdFor(BaseName(path));
    dcom->SetServerName(item.ProgId);
    item.Clsid = dcom->ServerGUID();
    if (!item.Clsid.empty()) {
      const RunAsValue runAs =
          services.AppIds.ReadRunAs(ClassAppIdKey(services.AppIds, item.Clsid));
      if (runAs.ValuePresent) item.RunAs = runAs.Text;
    }
    reporter.Item(item);
    ++position.Done;
  }
}

}  // namespace

int RunUnattended(const UnattendedOptions& options, const String& password,
                  UnattendedServices& services, const IStopSignal& stop, UnattendedOutput& output) {
  const TDateTime started = services.Clock.Now();
  const auto seconds = [&] { return (services.Clock.Now() - started) * 86400.0; };
  try {
    ValidarCredenciales(options.Identity == IdentityOption::EsteUsuario, options.Usuario, password,
                        password);
    ValidarRuta(options.Modo, options.Path);
  } catch (const Exception& e) {
    output.ErrorLine(PresentableMessage(e.Message()));
    return kExitRefused;
  }

  Reporter reporter(output);
  TStringList archivos;
  TStringList errores;
  RunReport informe;
  Position position;
  std::exception_ptr failure;
  try {
    if (options.Modo == 0) {
      FileSearch(services.Folders, archivos).BuscarArchivos(options.Path, u"*.exe", true);
    } else {
      archivos.Add(options.Path);
    }
    if (archivos.Count() == 0) {
      output.Line(kNothingFound);
      reporter.Summary(false, 0, 0, seconds());
      return kExitNothingFound;
    }
    if (options.WhatIf) {
      Inspect(archivos, services, reporter, position);
      reporter.Summary(true, static_cast<std::size_t>(archivos.Count()), 0, seconds());
      return kExitSuccess;
    }
    const OptionsIdentity identity(options, password);
    TComponent components;  // owns the connection component
    SDCOMConnection* dcom = new SDCOMConnection(&components, services.Classes);
    ServerSteps steps(services.Versions, services.Processes, services.Pump, services.AppIds, *dcom,
                      identity, [&] {
                        return std::make_unique<LineProgress>(output, reporter, stop,
                                                              services.AppIds, position);
                      });
    ProcesarServidores(steps, archivos, errores, informe);
  } catch (...) {
    failure = std::current_exception();
  }

  std::size_t failed = static_cast<std::size_t>(errores.Count());
  String ending;
  if (failure) {
    // A failure outside the per-item guards ends the run at the item where
    // it happened; the report names that item.
    ReportItem item;
    item.Phase = position.Phase;
    item.Ok = false;
    item.Error = [&] {
      try {
        std::rethrow_exception(failure);
      } catch (...) {
        return CurrentExceptionMessage();
      }
    }();
    if (position.Done < archivos.Count()) {
      item.Path = archivos[position.Done];
      if (item.Phase != ReportPhase::Register) item.ProgId = ProgIdFor(BaseName(item.Path));
      reporter.Item(item);
      ++failed;
    }
    ending = u"El proceso terminó antes de tiempo: " + PresentableMessage(item.Error);
  }

  const bool success = !failure && errores.Count() == 0 && !informe.Stopped;
  if (success) {
    output.Line(kSummaryOk);
  } else {
    std::optional<std::int32_t> sinProcesar;
    if (informe.Stopped) sinProcesar = informe.NotHandled;
    output.Line(ErrorSummaryText(errores, sinProcesar));
    if (!ending.empty()) output.Line(ending);
  }
  reporter.Summary(success, static_cast<std::size_t>(archivos.Count()), failed, seconds());
  return success ? kExitSuccess : kExitErrors;
}

}  // namespace varnel::setup
