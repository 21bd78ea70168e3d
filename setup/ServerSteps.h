#pragma once
// One server's steps over the outside services, as both front ends carry
// them out, and the DCOM connection component the identity phase writes
// ServerName to and reads ServerGUID from. The component lives as long as
// the steps, so it keeps the last ServerName from one run to the next.

#include "components/Component.h"
#include "components/USDCOMConnection.h"
#include "setup/CommandRunner.h"
#include "setup/JobServices.h"
#include "setup/RegistrationJob.h"

namespace varnel::setup {

class ServerSteps final : public IRunSteps {
 public:
  // `identity` is read at every identity step. With `keepInPlace` an AppID
  // that already holds the identity asked for is left as it is, DComPerm not
  // started: a re-run that changes nothing says so.
  ServerSteps(JobServices& services, const IIdentitySource& identity, bool keepInPlace = false);

  components::SDCOMConnection& DCOM() { return *dcom_; }
  // See CommandRunner::LimitarEspera.
  void LimitarEspera(std::uint32_t seconds) { runner_.LimitarEspera(seconds, services_.Clock); }

  void Comprobar(const JobRequest& request) override;
  void LeerVersion(const String& path, versioninfo::TEXEVersionData& data) override;
  void Registrar(const String& path, const IStopSignal& stop) override;
  void SetServerName(const String& progId) override { dcom_->SetServerName(progId); }
  String ServerGUID() override { return dcom_->ServerGUID(); }
  void ComprobarRegistro(const String& path, const String& guid, IdentityRecord& record) override;
  void AsignarPermisosDcom(const String& guid, const IStopSignal& stop,
                           IdentityRecord& record) override;
  void LeerIdentidad(const String& path, const String& guid, IdentityRecord& record) override;
  void Verificar(const String& progId) override;

  // The way back: puts `target` into the AppID `appId` as the identity step
  // does (left alone when it is already there, with keepInPlace); with
  // `whatIf` only reads what is there and whether it would change.
  void Restaurar(const String& appId, const IIdentitySource& target, const IStopSignal& stop,
                 bool whatIf, IdentityRecord& record);

 private:
  // The registry view the server at `path` writes its class key in.
  RegistryView ViewOf(const String& path);
  bool SameFile(const String& a, const String& b);
  // Whether record.Before already holds the identity selected; notes why
  // when that cannot be told.
  bool InPlace(IdentityRecord& record, const IIdentitySource& source);

  JobServices& services_;
  CommandRunner runner_;
  const IIdentitySource& identity_;
  bool keepInPlace_;
  components::TComponent components_;            // owns the connection component
  components::SDCOMConnection* dcom_ = nullptr;  // named "DCOM", as on the setup window
};

}  // namespace varnel::setup
