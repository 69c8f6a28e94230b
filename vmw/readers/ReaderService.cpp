#include "vmw/readers/ReaderService.h"

#include "vmw/state/StateFolder.h"

#include <cstring>

namespace vmw {

namespace {

const char kPnpNotification[] = "\\\\?PnP?\\Notification";
const BYTE kAtr[] = {0x3B, 0x80, 0x80, 0x01, 0x01};
const DWORD kPollMilliseconds = 100;

std::string MultiString(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += name + '\0';
  return text + '\0';
}

DWORD StateOfReader(const StateFolder& state, const char* reader, SCARD_READERSTATEA& record) {
  if (std::strcmp(reader, kPnpNotification) == 0)
    return static_cast<DWORD>(state.ReaderNames().size()) << 16;
  if (!state.HasReader(reader)) return SCARD_STATE_UNKNOWN | SCARD_STATE_IGNORE;
  if (!state.CardPresent(reader)) {
    record.cbAtr = 0;
    return SCARD_STATE_EMPTY;
  }
  record.cbAtr = sizeof kAtr;
  std::memcpy(record.rgbAtr, kAtr, sizeof kAtr);
  return SCARD_STATE_PRESENT;
}

}  // namespace

ReaderService& ReaderService::Instance() {
  static ReaderService service;
  return service;
}

bool ReaderService::Known(SCARDCONTEXT context) { return contexts_.count(context) != 0; }

LONG ReaderService::EstablishContext(DWORD scope, SCARDCONTEXT* context) {
  if (context == nullptr) return SCARD_E_INVALID_PARAMETER;
  if (scope != SCARD_SCOPE_USER && scope != SCARD_SCOPE_SYSTEM) return SCARD_E_INVALID_VALUE;
  if (!StateFolder::FromEnvironment().ServiceRunning()) return SCARD_E_NO_SERVICE;
  std::lock_guard<std::mutex> guard(lock_);
  *context = nextContext_++;
  contexts_.insert(*context);
  return SCARD_S_SUCCESS;
}

LONG ReaderService::ReleaseContext(SCARDCONTEXT context) {
  std::lock_guard<std::mutex> guard(lock_);
  return contexts_.erase(context) ? SCARD_S_SUCCESS : SCARD_E_INVALID_HANDLE;
}

LONG ReaderService::IsValidContext(SCARDCONTEXT context) {
  std::lock_guard<std::mutex> guard(lock_);
  return Known(context) ? SCARD_S_SUCCESS : SCARD_E_INVALID_HANDLE;
}

LONG ReaderService::ListReaders(SCARDCONTEXT context, LPSTR readers, LPDWORD length) {
  std::lock_guard<std::mutex> guard(lock_);
  if (!Known(context)) return SCARD_E_INVALID_HANDLE;
  if (length == nullptr) return SCARD_E_INVALID_PARAMETER;
  const StateFolder state = StateFolder::FromEnvironment();
  if (!state.ServiceRunning()) return SCARD_E_NO_SERVICE;
  const std::vector<std::string> names = state.ReaderNames();
  if (names.empty()) return SCARD_E_NO_READERS_AVAILABLE;
  const std::string text = MultiString(names);
  const DWORD needed = static_cast<DWORD>(text.size());
  if (*length == SCARD_AUTOALLOCATE) {
    if (readers == nullptr) return SCARD_E_INVALID_PARAMETER;
    char* block = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, needed));
    if (block == nullptr) return SCARD_E_NO_MEMORY;
    std::memcpy(block, text.data(), needed);
    allocations_.insert(block);
    *reinterpret_cast<LPSTR*>(readers) = block;
  } else if (readers != nullptr) {
    if (*length < needed) {
      *length = needed;
      return SCARD_E_INSUFFICIENT_BUFFER;
    }
    std::memcpy(readers, text.data(), needed);
  }
  *length = needed;
  return SCARD_S_SUCCESS;
}

bool ReaderService::UpdateStates(SCARD_READERSTATEA* states, DWORD count) {
  const StateFolder state = StateFolder::FromEnvironment();
  bool changed = false;
  for (DWORD i = 0; i < count; ++i) {
    SCARD_READERSTATEA& record = states[i];
    const char* reader = record.szReader ? record.szReader : "";
    DWORD now = StateOfReader(state, reader, record);
    const DWORD known = record.dwCurrentState & ~SCARD_STATE_CHANGED;
    if (record.dwCurrentState == SCARD_STATE_UNAWARE || now != known) {
      now |= SCARD_STATE_CHANGED;
      changed = true;
    }
    record.dwEventState = now;
  }
  return changed;
}

LONG ReaderService::GetStatusChange(SCARDCONTEXT context, DWORD timeout, SCARD_READERSTATEA* states,
                                    DWORD count) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (!Known(context)) return SCARD_E_INVALID_HANDLE;
  }
  if (states == nullptr && count != 0) return SCARD_E_INVALID_PARAMETER;
  const DWORD started = GetTickCount();
  for (;;) {
    if (!StateFolder::FromEnvironment().ServiceRunning()) return SCARD_E_NO_SERVICE;
    if (UpdateStates(states, count)) return SCARD_S_SUCCESS;
    const DWORD waited = GetTickCount() - started;
    if (timeout != INFINITE && waited >= timeout) return SCARD_E_TIMEOUT;
    DWORD pause = kPollMilliseconds;
    if (timeout != INFINITE && timeout - waited < pause) pause = timeout - waited;
    Sleep(pause);
    std::lock_guard<std::mutex> guard(lock_);
    if (!Known(context)) return SCARD_E_CANCELLED;  // released while waiting
  }
}

LONG ReaderService::FreeMemory(SCARDCONTEXT context, LPCVOID memory) {
  std::lock_guard<std::mutex> guard(lock_);
  if (!Known(context)) return SCARD_E_INVALID_HANDLE;
  if (allocations_.erase(memory)) HeapFree(GetProcessHeap(), 0, const_cast<LPVOID>(memory));
  return SCARD_S_SUCCESS;
}

}  // namespace vmw
