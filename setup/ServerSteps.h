#pragma once
// One server's steps over the outside services, as both front ends (the
// setup window and the command line) carry them out. They differ only in
// the progress they show, which each hands in.

#include <functional>
#include <memory>

#include "components/USDCOMConnection.h"
#include "platform/AppIdRegistry.h"
#include "platform/MessagePump.h"
#include "platform/ProcessStarter.h"
#include "platform/VersionSource.h"
#include "setup/CommandRunner.h"
#include "setup/RegistrationRun.h"

namespace varnel::setup {

class ServerSteps final : public IRunSteps {
 public:
  using ProgressFactory = std::function<std::unique_ptr<IRunProgress>()>;

  // `dcom` is the connection component whose ServerName and ServerGUID the
  // run writes and reads; `identity` is read at every identity step.
  ServerSteps(IVersionSource& versions, IProcessStarter& processes, IMessagePump& pump,
              IAppIdRegistry& appIds, SDCOMConnection& dcom, const IIdentitySource& identity,
              ProgressFactory progress)
      : versions_(versions),
        runner_(processes, pump, appIds),
        dcom_(dcom),
        identity_(identity),
        progress_(std::move(progress)) {}

  std::unique_ptr<IRunProgress> CrearVentanaDeProgreso() override { return progress_(); }
  void LeerVersion(const String& path, TEXEVersionData& data) override;
  void Registrar(const String& path, const IStopSignal& stop) override;
  void SetServerName(const String& progId) override { dcom_.SetServerName(progId); }
  String ServerGUID() override { return dcom_.ServerGUID(); }
  void AsignarPermisosDcom(const String& guid, const IStopSignal& stop,
                           IdentityRecord& record) override;

 private:
  IVersionSource& versions_;
  CommandRunner runner_;
  SDCOMConnection& dcom_;
  const IIdentitySource& identity_;
  ProgressFactory progress_;
};

}  // namespace varnel::setup
