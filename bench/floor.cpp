// The floor of the registration job: what any tool has to do for N servers
// and nothing more. Every server is started with " /REGSERVER" and waited
// for, then each class is looked up by its ProgID and DComPerm is started
// for it and waited for. No window, no search, no version reads, no checks.
//
//   floor.exe <folder> <prefix> <count>
// works on <folder>\<prefix>0001.exe .. <prefix><count>.exe (ProgID
// "<name>.<name>DMR", as the stand-in servers register themselves) and
// prints "ms=<elapsed>" for the whole of it.

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// Starts `file` hidden through the shell, as the program does, and waits.
bool StartAndWait(const std::wstring& file, const std::wstring& parameters) {
  SHELLEXECUTEINFOW request{};
  request.cbSize = sizeof(request);
  request.fMask = SEE_MASK_NOCLOSEPROCESS;
  request.lpFile = file.c_str();
  request.lpParameters = parameters.c_str();
  request.nShow = SW_HIDE;
  if (!::ShellExecuteExW(&request)) return false;
  if (request.hProcess) {
    ::WaitForSingleObject(request.hProcess, INFINITE);
    ::CloseHandle(request.hProcess);
  }
  return true;
}

std::wstring Name(const std::wstring& prefix, int index) {
  wchar_t digits[16];
  std::swprintf(digits, 16, L"%04d", index);
  return prefix + digits;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fputs("usage: floor.exe <folder> <prefix> <count>\n", stderr);
    return 2;
  }
  const std::wstring folder = argv[1];
  const std::wstring prefix = argv[2];
  const int count = static_cast<int>(std::wcstol(argv[3], nullptr, 10));
  if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)))
    return 3;

  LARGE_INTEGER frequency, start, end;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&start);
  int failures = 0;
  for (int i = 1; i <= count; ++i)
    if (!StartAndWait(folder + L"\\" + Name(prefix, i) + L".exe", L" /REGSERVER")) ++failures;
  for (int i = 1; i <= count; ++i) {
    const std::wstring name = Name(prefix, i);
    CLSID clsid;
    if (FAILED(::CLSIDFromProgID((name + L"." + name + L"DMR").c_str(), &clsid))) {
      ++failures;
      continue;
    }
    wchar_t guid[40];
    ::StringFromGUID2(clsid, guid, 40);
    if (!StartAndWait(L"DComPerm", std::wstring(L" -runas ") + guid + L" \"Interactive User\""))
      ++failures;
  }
  ::QueryPerformanceCounter(&end);
  const double ms = static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 /
                    static_cast<double>(frequency.QuadPart);
  std::printf("ms=%.1f failures=%d\n", ms, failures);
  ::CoUninitialize();
  return failures == 0 ? 0 : 1;
}
