#include "WindowsHarness.h"

#include <winscard.h>

namespace vmwtest {

std::string ProgramFolder() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of("\\/"));
}

int RunCommand(const std::string& commandLine) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::string line = commandLine;
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return -1;
  // Serve this thread's windows meanwhile: the program may send them messages.
  const DWORD started = GetTickCount();
  DWORD waited = 0;
  while (waited < 30000 &&
         MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 30000 - waited, QS_ALLINPUT) ==
             WAIT_OBJECT_0 + 1) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    waited = GetTickCount() - started;
  }
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

int RunBeside(const std::string& program, const std::string& arguments) {
  return RunCommand("\"" + ProgramFolder() + "\\" + program + "\" " + arguments);
}

LONG ScanReaders(std::vector<std::string>& withCard) {
  withCard.clear();
  SCARDCONTEXT context = 0;
  LONG rv = SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &context);
  if (rv != SCARD_S_SUCCESS) return rv;
  LPSTR readers = nullptr;
  DWORD length = SCARD_AUTOALLOCATE;
  rv = SCardListReadersA(context, nullptr, reinterpret_cast<LPSTR>(&readers), &length);
  if (rv != SCARD_S_SUCCESS) {
    SCardReleaseContext(context);
    return rv;
  }
  for (const char* name = readers; *name; name += lstrlenA(name) + 1) {
    SCARD_READERSTATEA state = {};
    state.szReader = name;
    state.dwCurrentState = SCARD_STATE_UNAWARE;
    if (SCardGetStatusChangeA(context, 0, &state, 1) == SCARD_S_SUCCESS &&
        (state.dwEventState & SCARD_STATE_PRESENT) && withCard.size() < 10)
      withCard.push_back(name);
  }
  SCardFreeMemory(context, readers);
  SCardReleaseContext(context);
  return SCARD_S_SUCCESS;
}

}  // namespace vmwtest
