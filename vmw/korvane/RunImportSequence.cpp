// Stand-in for the middleware's registration library: started as
// "rundll32.exe korvane.dll,RunImportSequence", it announces an import that
// starts and ends, as the middleware would around copying certificates.
#include "vmw/state/DurableFile.h"
#include "vmw/state/StateFolder.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Notes each run in the state folder, so that tests and the demo can see it.
void NoteRun(const char* commandLine) {
  const vmw::StateFolder state = vmw::StateFolder::FromEnvironment();
  if (!state.Exists()) return;
  std::FILE* log = std::fopen((state.Root() + "/korvane.log").c_str(), "a");
  if (!log) return;
  std::fprintf(log, "RunImportSequence %s\n", commandLine ? commandLine : "");
  std::fclose(log);
}

}  // namespace

extern "C" __declspec(dllexport) void CALLBACK RunImportSequence(HWND, HINSTANCE, LPSTR commandLine, int) {
  NoteRun(commandLine);
  const UINT start = RegisterWindowMessageA("WM_QUORIN_MW_ACTIVITY_IMPORT_START");
  const UINT end = RegisterWindowMessageA("WM_QUORIN_MW_ACTIVITY_IMPORT_END");
  // An optional number on the command line: milliseconds between the two.
  int pause = commandLine && *commandLine ? std::atoi(commandLine) : 500;
  if (pause < 0 || pause > 60000) pause = 500;
  PostMessageA(HWND_BROADCAST, start, 0, 0);
  Sleep(static_cast<DWORD>(pause));
  PostMessageA(HWND_BROADCAST, end, 0, 0);
}
