#include "setup/CommandRunner.h"

#include <exception>

#include "runtime/Exceptions.h"

namespace varnel {

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

CommandRunner::Outcome CommandRunner::StartAndWait(const String& program,
                                                   const String& parameters) {
  return WithPlainException([&] {
    const std::unique_ptr<IStartedProcess> process = starter_.Start(program, parameters);
    if (!process) return Outcome::NotStarted;
    // Nothing to wait on: the file went to a program that was already running.
    if (!process->HasHandle()) return Outcome::NotAwaited;
    for (;;) {
      pump_.ProcessMessages();
      if (process->Ended()) return Outcome::Ended;
      // The application is closing: leave the program running on its own.
      if (pump_.Terminated()) return Outcome::NotAwaited;
      // Whichever woke us, the next pass pumps and looks again, so what
      // arrived together with the end is dispatched too.
      process->WaitOnce();
    }
  });
}

bool CommandRunner::EjecutarYEsperar(const String& program, const String& parameters) {
  return StartAndWait(program, parameters) != Outcome::NotStarted;
}

void CommandRunner::EjecutarYEsperarOFallar(const String& program, const String& parameters) {
  if (!EjecutarYEsperar(program, parameters))
    throw Exception(u"No se pudo ejecutar " + program + u".");
}

void CommandRunner::SetIdentity(const String& guid, IdentityOption option, const String& usuario,
                                const String& contrasena) {
  const String program = kDComPermProgram;
  const Outcome outcome =
      StartAndWait(program, DComPermParameters(option, guid, usuario, contrasena));
  if (outcome == Outcome::NotStarted) throw Exception(u"No se pudo ejecutar " + program + u".");
  // Only a tool seen to end can be judged; when the application is closing it
  // may still be at work.
  if (outcome == Outcome::Ended) CheckIdentity(registry_, guid, option, usuario);
}

void CommandRunner::AsignarPermisosDcom(const String& guid, const IIdentitySource& source) {
  WithPlainException([&] {
    // Three independent tests: the radio buttons exclude one another, so one
    // command runs per call.
    if (source.InteractivoSelected()) SetIdentity(guid, IdentityOption::UsuarioInteractivo, {}, {});
    if (source.InicialSelected()) SetIdentity(guid, IdentityOption::UsuarioInicial, {}, {});
    if (source.EsteUsuarioSelected()) {
      const String usuario = source.Usuario();
      const String contrasena = source.Contrasena();
      SetIdentity(guid, IdentityOption::EsteUsuario, usuario, contrasena);
    }
  });
}

}  // namespace varnel
