// Where the time of one registration run goes, step by step: the run's own
// two passes (setup::ProcesarServidores) over the same production pieces
// the setup window wires (the application object and its pump, the
// progress window, the command runner, the DCOM component, version.dll,
// the shell, the registry), each wrapped so that its time is counted. A
// step's time excludes the steps nested in it: the pump inside
// NombreItemActual counts as pump, not as label.
//
// The servers are started and waited for as in the program; the floor of
// the job is the time of "process_start" + "wait_blocked" + "class_lookup".

#include <cstdio>

#include "app/Application.h"
#include "bench/StepTimes.h"
#include "bench/Timing.h"
#include "components/Component.h"
#include "components/USDCOMConnection.h"
#include "platform/win32/AppIdRegistryWin32.h"
#include "platform/win32/CapturingStarterWin32.h"
#include "platform/win32/ClassRegistryWin32.h"
#include "platform/win32/ClockWin32.h"
#include "platform/win32/FolderEnumeratorWin32.h"
#include "platform/win32/ProcessStarterWin32.h"
#include "platform/win32/ProgramFoldersWin32.h"
#include "platform/win32/VersionSourceWin32.h"
#include "progress/win32/UINFOP50.h"
#include "setup/CommandRunner.h"
#include "setup/DComPermLocation.h"
#include "setup/FileSearch.h"
#include "setup/RegistrationJob.h"
#include "versioninfo/VersionInfo.h"

namespace varnel::bench {

using namespace varnel::versioninfo;

using namespace varnel::components;

namespace {

using namespace varnel::setup;

class TimedProcess final : public IStartedProcess {
 public:
  TimedProcess(StepTimes& times, std::unique_ptr<IStartedProcess> inner)
      : times_(times), inner_(std::move(inner)) {}
  ~TimedProcess() override {
    times_.Time("process_release", [&] { inner_.reset(); });
  }
  bool HasHandle() const override { return inner_->HasHandle(); }
  bool Ended() override {
    return times_.Time("wait_exit_check", [&] { return inner_->Ended(); });
  }
  WaitResult WaitOnce() override {
    return times_.Time("wait_blocked", [&] { return inner_->WaitOnce(); });
  }

 private:
  StepTimes& times_;
  std::unique_ptr<IStartedProcess> inner_;
};

class TimedStarter final : public IProcessStarter {
 public:
  TimedStarter(StepTimes& times, IProcessStarter& inner) : times_(times), inner_(inner) {}
  std::unique_ptr<IStartedProcess> Start(const String& program, const String& parameters,
                                         String& refusal) override {
    std::unique_ptr<IStartedProcess> started =
        times_.Time("process_start", [&] { return inner_.Start(program, parameters, refusal); });
    if (!started) return nullptr;
    return std::make_unique<TimedProcess>(times_, std::move(started));
  }

 private:
  StepTimes& times_;
  IProcessStarter& inner_;
};

class TimedAppIds final : public IAppIdRegistry {
 public:
  TimedAppIds(StepTimes& times, IAppIdRegistry& inner) : times_(times), inner_(inner) {}
  RunAsValue ReadRunAs(const String& keyName) override {
    return times_.Time("runas_readback", [&] { return inner_.ReadRunAs(keyName); });
  }
  std::optional<String> ReadClassAppId(const String& clsidKeyName, RegistryView view) override {
    return times_.Time("class_appid", [&] { return inner_.ReadClassAppId(clsidKeyName, view); });
  }
  std::optional<String> ReadLocalServer32(const String& clsidKeyName, RegistryView view) override {
    return times_.Time("local_server",
                       [&] { return inner_.ReadLocalServer32(clsidKeyName, view); });
  }
  bool CanWriteIdentities() override { return inner_.CanWriteIdentities(); }

 private:
  StepTimes& times_;
  IAppIdRegistry& inner_;
};

// The application object as the windows see it, with its pump timed.
class TimedHost final : public forms::IFormHost, public IMessagePump {
 public:
  TimedHost(StepTimes& times, app::Application& inner) : times_(times), inner_(inner) {}
  void HandleException() noexcept override { inner_.HandleException(); }
  HWND AppWindow() const override { return inner_.AppWindow(); }
  IMessagePump& Pump() override { return *this; }
  const String& Title() const override { return inner_.Title(); }
  void Terminate() override { inner_.Terminate(); }
  void ProcessMessages() override {
    times_.Time("message_pump", [&] { inner_.Pump().ProcessMessages(); });
  }
  bool Terminated() const override { return inner_.Pump().Terminated(); }

 private:
  StepTimes& times_;
  app::Application& inner_;
};

class TimedProgress final : public progress::IRunProgress {
 public:
  TimedProgress(StepTimes& times, forms::IFormHost& host, IClock& clock)
      : times_(times), window_(times.Time("window_create", [&] {
          return std::make_unique<progress::TFrmInfoP50>(host, clock, host.AppWindow());
        })) {}
  ~TimedProgress() override {
    times_.Time("window_release", [&] { window_.reset(); });
  }
  void Inicializar(std::int32_t n, bool reset) override {
    times_.Time("progress_inicializar", [&] { window_->Inicializar(n, reset); });
  }
  void MensajeDelProceso(const String& v) override {
    times_.Time("progress_message", [&] { window_->MensajeDelProceso(v); });
  }
  void NombreItemActual(const String& v) override {
    times_.Time("progress_item_label", [&] { window_->NombreItemActual(v); });
  }
  void ItemActualTerminado() override {
    times_.Time("progress_item_done", [&] { window_->ItemActualTerminado(); });
  }
  void Finalizar() override {
    times_.Time("progress_finalizar", [&] { window_->Finalizar(); });
  }
  bool ContinuarProceso() const override { return window_->ContinuarProceso(); }

 private:
  StepTimes& times_;
  std::unique_ptr<progress::TFrmInfoP50> window_;
};

// "Usuario interactivo", as the benchmark job selects it.
class InteractiveUser final : public IIdentitySource {
 public:
  bool InteractivoSelected() const override { return true; }
  bool InicialSelected() const override { return false; }
  bool EsteUsuarioSelected() const override { return false; }
  String Usuario() const override { return {}; }
  String Contrasena() const override { return {}; }
};

// The setup window's steps, over the timed pieces.
class TimedSteps final : public setup::IRunSteps {
 public:
  TimedSteps(StepTimes& times, TimedHost& host, IProcessStarter& starter, ICapturingStarter& tools,
             IAppIdRegistry& appIds, IClassRegistry& classes, IVersionSource& versions,
             IClock& clock, const String& dcomPerm)
      : times_(times),
        host_(host),
        versions_(versions),
        clock_(clock),
        runner_(starter, tools, host, appIds),
        dcom_(&components_, classes) {
    runner_.UsarDComPerm(dcomPerm);
  }

  void Comprobar(const JobRequest&) override {}
  void ComprobarRegistro(const String&, const String&, IdentityRecord&) override {}

  void LeerVersion(const String& path, TEXEVersionData& data) override {
    times_.Time("version_read", [&] { GetEXEVersionData(versions_, path, data); });
  }
  void Registrar(const String& path, const IStopSignal& stop) override {
    times_.Time("register_other", [&] {
      runner_.EjecutarYEsperar(path, setup::kRegServerParameters, u"el servidor", &stop);
    });
  }
  void SetServerName(const String& progId) override {
    times_.Time("class_lookup", [&] { dcom_.SetServerName(progId); });
  }
  String ServerGUID() override {
    return times_.Time("class_text", [&] { return dcom_.ServerGUID(); });
  }
  void AsignarPermisosDcom(const String& guid, const IStopSignal& stop,
                           IdentityRecord& record) override {
    times_.Time("identity_other",
                [&] { runner_.AsignarPermisosDcom(guid, identity_, &stop, &record); });
  }
  void LeerIdentidad(const String&, const String&, IdentityRecord&) override {}  // for reports only
  void Verificar(const String&) override {}  // never asked for here

 private:
  StepTimes& times_;
  TimedHost& host_;
  IVersionSource& versions_;
  IClock& clock_;
  CommandRunner runner_;
  TComponent components_;
  SDCOMConnection dcom_;
  InteractiveUser identity_;
};

}  // namespace

int RunProfile(const Arguments& args) {
  const String folder = Option(args, u"--folder");
  app::Application application;
  application.Initialize();
  StepTimes times;
  TimedHost host(times, application);

  win32::VersionSourceWin32 versions;
  win32::ProcessStarterWin32 shell(application.AppWindow());
  TimedStarter starter(times, shell);
  win32::AppIdRegistryWin32 registry;
  TimedAppIds appIds(times, registry);
  win32::ClassRegistryWin32 classes;
  win32::TLocalClock clock;
  win32::FolderEnumeratorWin32 folders;
  // DComPerm is started by its full path with its output captured: its start
  // is not among the timed process starts.
  win32::CapturingStarterWin32 tools;
  win32::ProgramFoldersWin32 programs;
  TimedSteps steps(times, host, starter, tools, appIds, classes, versions, clock,
                   LocateDComPerm(programs).value_or(String(kDComPermFileName)));

  Stopwatch wall;
  TStringList files;
  times.Time("search",
             [&] { setup::FileSearch(folders, files).BuscarArchivos(folder, u"*.exe", true); });
  setup::JobOutcome outcome;
  const TStringList& errors = outcome.Errores;
  times.Time("run_other", [&] {
    TimedProgress progress(times, host, clock);
    setup::ProcesarServidores(steps, progress, files, outcome);
  });
  const double ms = wall.ElapsedMs();

  times.Print();
  const double floor =
      times.OwnMs("process_start") + times.OwnMs("wait_blocked") + times.OwnMs("class_lookup");
  std::printf("servers=%d errors=%d ms=%.1f floor_ms=%.1f\n", files.Count(), errors.Count(), ms,
              floor);
  return errors.Count() == 0 ? 0 : 1;
}

}  // namespace varnel::bench
