#include "setup/ServerSteps.h"

#include "runtime/Exceptions.h"
#include "setup/ActivationReason.h"
#include "setup/CredentialMessages.h"
#include "setup/DComPermLocation.h"
#include "setup/ServerCommandLine.h"

namespace varnel::setup {

ServerSteps::ServerSteps(JobServices& services, const IIdentitySource& identity, bool keepInPlace)
    : services_(services),
      runner_(services.Processes, services.Tools, services.Pump, services.AppIds),
      identity_(identity),
      keepInPlace_(keepInPlace),
      // Non-visual: owned by the component list, no property set.
      dcom_(new components::SDCOMConnection(&components_, services.Classes)) {
  dcom_->SetName(u"DCOM");
}

void ServerSteps::Comprobar(const JobRequest& request) {
  if (!services_.AppIds.CanWriteIdentities())
    throw Exception(
        u"No hay permiso para escribir en HKLM\\SOFTWARE\\Classes\\AppID: ejecute el programa "
        u"como administrador (elevado). No se inició ningún servidor.");
  const std::optional<String> dcomPerm = LocateDComPerm(services_.ProgramFolders);
  if (!dcomPerm) throw Exception(kDComPermNotFound);
  runner_.UsarDComPerm(*dcomPerm);
  if (request.EsteUsuario) {
    if (const std::optional<String> problem =
            CredentialProblem(services_.Credentials, request.Usuario, request.Contrasena))
      throw Exception(*problem);
  }
}

// One file reached by two paths (a junction or a hard link on the way) is
// still the file handled.
bool ServerSteps::SameFile(const String& a, const String& b) {
  const std::optional<FolderIdentity> first = services_.Folders.Identity(a);
  return first && first == services_.Folders.Identity(b);
}

RegistryView ServerSteps::ViewOf(const String& path) {
  return versioninfo::ViewOf(services_.Machines.MachineOf(path));
}

void ServerSteps::ComprobarRegistro(const String& path, const String& guid,
                                    IdentityRecord& record) {
  const RegistryView view = ViewOf(path);
  const String key = AppIdKeyName(guid);
  const std::optional<String> server = services_.AppIds.ReadLocalServer32(key, view);
  const String bits = view == RegistryView::Bits32 ? u"32" : u"64";
  if (!server)
    throw Exception(u"La clase " + key + u" no tiene LocalServer32 en la vista de " + bits +
                    u" bits del registro: no la registró este servidor.");
  if (!SameExecutable(services_.Paths, *server, path) &&
      !SameFile(ExecutableOfCommandLine(*server), path))
    throw Exception(u"La clase " + key + u" está registrada para " +
                    ExecutableOfCommandLine(*server) + u", no para este archivo.");
  record.AppId = ClassAppIdKey(services_.AppIds, guid, view);
}

void ServerSteps::LeerVersion(const String& path, versioninfo::TEXEVersionData& data) {
  versioninfo::GetEXEVersionData(services_.Versions, path, data);
}

void ServerSteps::Registrar(const String& path, const IStopSignal& stop) {
  runner_.EjecutarYEsperar(path, kRegServerParameters, u"el servidor", &stop);
}

namespace {

IdentityOption SelectedOption(const IIdentitySource& source) {
  if (source.EsteUsuarioSelected()) return IdentityOption::EsteUsuario;
  if (source.InicialSelected()) return IdentityOption::UsuarioInicial;
  return IdentityOption::UsuarioInteractivo;
}

}  // namespace

bool ServerSteps::InPlace(IdentityRecord& record, const IIdentitySource& source) {
  const IdentityOption option = SelectedOption(source);
  const String usuario = option == IdentityOption::EsteUsuario ? source.Usuario() : String();
  std::optional<String> stored;
  // The account alone does not tell: its password may have changed since.
  if (option == IdentityOption::EsteUsuario && record.Before.ValuePresent &&
      record.Before.Text == usuario) {
    stored = services_.Secrets.StoredPassword(record.AppId);
    if (!stored) record.Note = kPasswordUnreadable;
  }
  return IdentityHolds(record.Before, option, usuario, stored, source.Contrasena());
}

void ServerSteps::AsignarPermisosDcom(const String& guid, const IStopSignal& stop,
                                      IdentityRecord& record) {
  if (keepInPlace_ && !record.AppId.empty()) {
    record.Before = services_.AppIds.ReadRunAs(record.AppId);
    record.BeforeRead = true;
    if (InPlace(record, identity_)) {
      record.RunAs = record.Before;
      record.RunAsRead = true;
      record.Changed = false;
      return;
    }
  }
  runner_.AsignarPermisosDcom(guid, identity_, &stop, &record);
}

void ServerSteps::LeerIdentidad(const String& path, const String& guid, IdentityRecord& record) {
  if (record.AppId.empty()) record.AppId = ClassAppIdKey(services_.AppIds, guid, ViewOf(path));
  record.RunAs = services_.AppIds.ReadRunAs(record.AppId);
  record.RunAsRead = true;
  // For an inquiry: what is there now, and whether the identity asked for
  // would change it.
  record.Before = record.RunAs;
  record.Changed = !InPlace(record, identity_);
}

void ServerSteps::Restaurar(const String& appId, const IIdentitySource& target,
                            const IStopSignal& stop, bool whatIf, IdentityRecord& record) {
  record.AppId = appId;
  record.Before = services_.AppIds.ReadRunAs(appId);
  record.BeforeRead = true;
  const bool inPlace = InPlace(record, target);
  if (whatIf || (keepInPlace_ && inPlace)) {
    record.RunAs = record.Before;
    record.RunAsRead = true;
    record.Changed = !inPlace;
    return;
  }
  runner_.AsignarPermisosDcom(appId, target, &stop, &record);
}

void ServerSteps::Verificar(const String& progId) {
  dcom_->SetServerName(progId);
  try {
    // The component's own setter keeps only the text of a failure; the
    // connection below it keeps the result code the reason is chosen by.
    dcom_->components::TDCOMConnection::SetConnected(true);
  } catch (const EOleSysError& e) {
    throw Exception(ActivationFailureReason(e.ErrorCode, e.Message()));
  }
  dcom_->SetConnected(false);
}

}  // namespace varnel::setup
