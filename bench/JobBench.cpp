// The whole registration job through the real program, driven as a person
// would: folder picked in the shell dialog, "Usuario interactivo", "&Aceptar",
// then the summary box. Timed from the click on "&Aceptar" to the box; the
// CPU time Varnel.exe spent in that span is read from its process handle.

#include <cstdio>

#include "bench/Timing.h"
#include "tests/ui/driver/Driver.h"

namespace varnel::bench {

namespace {

using namespace varnel::ui;

constexpr char16_t kMainCaption[] = u"QUIRAL QRM - Configuración Servidores Quiral Velmira";
constexpr char16_t kFolderDialog[] = u"Seleccionar Directorio Servidores DCOM Quiral";
constexpr Milliseconds kStep{30000};

// The folder button is the picture button without a caption.
HWND FolderButton(HWND main) {
  for (const ControlInfo& c : ListChildren(main, true))
    if (c.ClassName == u"Button" && c.Text.empty()) return c.Handle;
  throw Exception(u"no folder button in the setup window");
}

std::uint64_t CpuTime100ns(HANDLE process) {
  const ResourceCounters counters = ReadResourceCounters(process);
  return counters.KernelTime100ns + counters.UserTime100ns;
}

}  // namespace

int RunJob(const Arguments& args) {
  const String folder = Option(args, u"--folder");
  const Milliseconds runTimeout{IntOption(args, u"--timeout", 600000)};
  ProcessOptions options;
  options.Path = VarnelExePath();
  options.WorkingDirectory = Option(args, u"--cwd");
  for (const String& pair : Options(args, u"--env")) {
    const std::size_t equals = pair.find(u'=');
    if (equals == String::npos) throw Exception(u"--env needs NAME=VALUE: " + pair);
    options.Environment.emplace_back(pair.substr(0, equals), pair.substr(equals + 1));
  }
  Process varnel(options);

  WindowQuery query;
  query.ProcessId = varnel.Id();
  query.Caption = String(kMainCaption);
  const HWND main = WaitForWindow(query, kStep);

  const HWND interactive = GetChild(main, ControlQuery{u"Usuario interactivo", {}, {}, false});
  Click(interactive);
  WaitUntil([&] { return IsChecked(interactive); }, kStep, u"\"Usuario interactivo\" checked");
  Click(FolderButton(main));
  PickPath(WaitForFileDialog(varnel.Id(), kStep, String(kFolderDialog)), folder);
  WaitUntil(
      [&] {
        return FindChild(main, ControlQuery{folder, u"Edit", {}, false}) != nullptr;
      },
      kStep, u"the folder in the setup window");
  const HWND accept = GetChild(main, ControlQuery{u"&Aceptar", {}, {}, false});

  const std::uint64_t cpuBefore = CpuTime100ns(varnel.Handle());
  Stopwatch clock;
  Click(accept);
  const MessageBoxInfo box = WaitForMessageBox(varnel.Id(), runTimeout);
  const double ms = clock.ElapsedMs();
  const std::uint64_t cpuAfter = CpuTime100ns(varnel.Handle());

  const double cpuMs = static_cast<double>(cpuAfter - cpuBefore) / 10000.0;
  const bool ok = box.Text == u"Proceso terminado exitosamente.";
  std::printf("ms=%.1f cpu_ms=%.1f ok=%d summary=\"%s\"\n", ms, cpuMs, ok ? 1 : 0,
              ToUtf8(box.Text).c_str());
  std::fflush(stdout);

  Press(box, IDOK);
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  if (!varnel.Wait(Milliseconds(10000))) varnel.Kill();
  return ok ? 0 : 1;
}

}  // namespace varnel::bench
