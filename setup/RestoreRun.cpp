#include "setup/RestoreRun.h"

#include "runtime/Exceptions.h"

namespace varnel::setup {

namespace {

constexpr char16_t kInteractiveUser[] = u"Interactive User";

// The identity a report's RunAs before stands for.
class ReportedTarget final : public IIdentitySource {
 public:
  ReportedTarget(const std::optional<String>& runAs, const String& password)
      : runAs_(runAs), password_(password) {}
  bool InteractivoSelected() const override { return runAs_ && *runAs_ == kInteractiveUser; }
  bool InicialSelected() const override { return !runAs_; }
  bool EsteUsuarioSelected() const override { return runAs_ && *runAs_ != kInteractiveUser; }
  String Usuario() const override { return runAs_.value_or(String()); }
  String Contrasena() const override { return password_; }

 private:
  const std::optional<String>& runAs_;
  const String& password_;
};

}  // namespace

JobOutcome Restaurar(ServerSteps& steps, const std::vector<ReportedIdentity>& identities,
                     const String& password, bool whatIf, const IStopSignal& stop,
                     IItemResults& results) {
  JobOutcome outcome;
  outcome.Servers = static_cast<std::int32_t>(identities.size());
  std::int32_t handled = 0;
  for (const ReportedIdentity& reported : identities) {
    if (stop.StopRequested()) {
      outcome.Stopped = true;
      outcome.NotHandled = outcome.Servers - handled;
      break;
    }
    ++handled;
    ItemResult item{.Path = reported.Path,
                    .Phase = whatIf ? RunPhase::Consulta : RunPhase::Restauracion,
                    .ProgId = reported.ProgId};
    const ReportedTarget target(reported.RunAsBefore, password);
    try {
      if (!whatIf && target.EsteUsuarioSelected() && password.empty())
        throw Exception(u"La AppID " + reported.AppId + u" tenía la cuenta " +
                        *reported.RunAsBefore +
                        u": para volver a ella hace falta su contraseña (/password-env).");
      steps.Restaurar(reported.AppId, target, stop, whatIf, item.Identity);
      item.Ok = true;
    } catch (const std::exception&) {
      item.Identity.AppId = reported.AppId;
      item.Reason = CurrentExceptionMessage();
      outcome.Errores.Add(item.Path + u": " + item.Reason);
    }
    outcome.Items.push_back(std::move(item));
    results.ResultadoDelItem(outcome.Items.back());
  }
  return outcome;
}

}  // namespace varnel::setup
