#include "setup/ServerSteps.h"

namespace varnel::setup {

void ServerSteps::LeerVersion(const String& path, TEXEVersionData& data) {
  GetEXEVersionData(versions_, path, data);
}

void ServerSteps::Registrar(const String& path, const IStopSignal& stop) {
  runner_.EjecutarYEsperarOFallar(path, kRegServerParameters, u"el servidor", &stop);
}

void ServerSteps::AsignarPermisosDcom(const String& guid, const IStopSignal& stop,
                                      IdentityRecord& record) {
  runner_.AsignarPermisosDcom(guid, identity_, &stop, &record);
}

}  // namespace varnel::setup
