#include "setup/ServerSteps.h"

#include "runtime/Exceptions.h"
#include "setup/ActivationReason.h"

namespace varnel::setup {

ServerSteps::ServerSteps(JobServices& services, const IIdentitySource& identity)
    : services_(services),
      runner_(services.Processes, services.Pump, services.AppIds),
      identity_(identity),
      // Non-visual: owned by the component list, no property set.
      dcom_(new SDCOMConnection(&components_, services.Classes)) {
  dcom_->SetName(u"DCOM");
}

void ServerSteps::LeerVersion(const String& path, TEXEVersionData& data) {
  GetEXEVersionData(services_.Versions, path, data);
}

void ServerSteps::Registrar(const String& path, const IStopSignal& stop) {
  runner_.EjecutarYEsperar(path, kRegServerParameters, u"el servidor", &stop);
}

void ServerSteps::AsignarPermisosDcom(const String& guid, const IStopSignal& stop,
                                      IdentityRecord& record) {
  runner_.AsignarPermisosDcom(guid, identity_, &stop, &record);
}

void ServerSteps::LeerIdentidad(const String& guid, IdentityRecord& record) {
  if (record.AppId.empty()) record.AppId = ClassAppIdKey(services_.AppIds, guid);
  record.RunAs = services_.AppIds.ReadRunAs(record.AppId);
  record.RunAsRead = true;
}

void ServerSteps::Verificar(const String& progId) {
  dcom_->SetServerName(progId);
  try {
    // The component's own setter keeps only the text of a failure; the
    // connection below it keeps the result code the reason is chosen by.
    dcom_->TDCOMConnection::SetConnected(true);
  } catch (const EOleSysError& e) {
    throw Exception(ActivationFailureReason(e.ErrorCode, e.Message()));
  }
  dcom_->SetConnected(false);
}

}  // namespace varnel::setup
