#include "setup/CommandRunner.h"

#include <exception>

#include "runtime/Exceptions.h"
#include "setup/DComPermLocation.h"
#include "setup/DComPermOutput.h"

namespace varnel::setup {

namespace {

// Only the message travels out of these operations: the caller records it
// and has no use for the kind.
template <typename Body>
auto WithPlainException(Body&& body) -> decltype(body()) {
  try {
    return body();
  } catch (const Exception& e) {
    throw Exception(e.Message());
  } catch (const std::exception& e) {
    throw Exception(FromUtf8(e.what()));
  }
}

}  // namespace

String ClassAppIdKey(IAppIdRegistry& registry, const String& guid, RegistryView view) {
  return AppIdFor(guid, registry.ReadClassAppId(AppIdKeyName(guid), view));
}

namespace {

String NotStartedReason(const String& nombre, const String& refusal) {
  String reason = u"No se pudo iniciar " + nombre + u": " + refusal;
  if (reason.back() != u'.') reason += u'.';
  return reason;
}

String NotAwaitedReason(const String& nombre) {
  return u"No se esperó a que " + nombre +
         u" terminara: el proceso se detuvo y el programa quedó en ejecución.";
}

}  // namespace

CommandRunner::Outcome CommandRunner::StartAndWait(const String& program, const String& parameters,
                                                   const String& nombre, const IStopSignal* stop) {
  return WithPlainException([&] {
    String refusal;
    const std::unique_ptr<IStartedProcess> process = starter_.Start(program, parameters, refusal);
    if (!process) throw Exception(NotStartedReason(nombre, refusal));
    return Wait(*process, nombre, program, stop);
  });
}

CommandRunner::Outcome CommandRunner::Wait(IStartedProcess& process, const String& nombre,
                                           const String& program, const IStopSignal* stop) {
  // Nothing to wait on: the file went to a program that was already running.
  if (!process.HasHandle()) return Outcome::NotAwaited;
  const TDateTime started = clock_ ? clock_->Now() : TDateTime();
  for (;;) {
    pump_.ProcessMessages();
    if (process.Ended()) return Outcome::Ended;
    // The application is closing: leave the program running on its own.
    if (pump_.Terminated()) return Outcome::NotAwaited;
    // The user asked to stop: never kill the program, it may be half-way
    // through writing the registry.
    if (stop && stop->StopRequested()) throw Exception(NotAwaitedReason(nombre));
    if (limitSeconds_ != 0 && (clock_->Now() - started) * 86400.0 >= limitSeconds_)
      throw Exception(nombre + u" (" + program + u") no terminó en " +
                      IntToStr(static_cast<std::int32_t>(limitSeconds_)) +
                      u" segundos: quedó en ejecución.");
    // Whichever woke us, the next pass pumps and looks again, so what
    // arrived together with the end is dispatched too.
    process.WaitOnce();
  }
}

void CommandRunner::EjecutarYEsperar(const String& program, const String& parameters,
                                     const String& nombre, const IStopSignal* stop) {
  StartAndWait(program, parameters, nombre, stop);
}

void CommandRunner::SetIdentity(const String& appId, IdentityOption option, const String& usuario,
                                const String& contrasena, const IStopSignal* stop,
                                IdentityRecord& record) {
  const String program = kDComPermProgram;
  if (dcomPerm_.empty()) throw Exception(kDComPermNotFound);
  String refusal;
  const std::unique_ptr<ICapturedProcess> tool = tools_.StartCaptured(
      dcomPerm_, DComPermParameters(option, appId, usuario, contrasena), refusal);
  if (!tool) throw Exception(NotStartedReason(program, refusal));
  record.Changed = true;
  // Only a tool seen to end can be judged; when the application is closing it
  // may still be at work.
  if (Wait(*tool, program, dcomPerm_, stop) != Outcome::Ended) return;
  const String failure = DComPermFailure(tool->Output());
  if (!failure.empty()) throw Exception(u"DComPerm: " + failure);
  record.RunAs = registry_.ReadRunAs(appId);
  record.RunAsRead = true;
  JudgeRunAs(record.RunAs, appId, option, usuario);
}

void CommandRunner::AsignarPermisosDcom(const String& guid, const IIdentitySource& source,
                                        const IStopSignal* stop, IdentityRecord* record) {
  IdentityRecord own;
  IdentityRecord& found = record ? *record : own;
  WithPlainException([&] {
    if (found.AppId.empty()) found.AppId = ClassAppIdKey(registry_, guid, RegistryView::Bits64);
    found.Before = registry_.ReadRunAs(found.AppId);
    found.BeforeRead = true;
    // DComPerm never creates the key: starting it would change nothing.
    if (!found.Before.KeyExists) throw Exception(MissingAppIdReason(found.AppId));
    // Three independent tests: the radio buttons exclude one another, so one
    // command runs per call.
    if (source.InteractivoSelected())
      SetIdentity(found.AppId, IdentityOption::UsuarioInteractivo, {}, {}, stop, found);
    if (source.InicialSelected())
      SetIdentity(found.AppId, IdentityOption::UsuarioInicial, {}, {}, stop, found);
    if (source.EsteUsuarioSelected()) {
      const String usuario = source.Usuario();
      const String contrasena = source.Contrasena();
      SetIdentity(found.AppId, IdentityOption::EsteUsuario, usuario, contrasena, stop, found);
    }
  });
}

}  // namespace varnel::setup
