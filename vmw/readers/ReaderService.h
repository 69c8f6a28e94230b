// The smart-card service as the reader simulator sees it: contexts, memory
// handed out with SCARD_AUTOALLOCATE, and the readers of the state folder.
#ifndef QUORIN_VMW_READERS_READER_SERVICE_H
#define QUORIN_VMW_READERS_READER_SERVICE_H

#include <windows.h>
#include <winscard.h>

#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace vmw {

class ReaderService {
 public:
  static ReaderService& Instance();

  LONG EstablishContext(DWORD scope, SCARDCONTEXT* context);
  LONG ReleaseContext(SCARDCONTEXT context);
  LONG IsValidContext(SCARDCONTEXT context);
  LONG ListReaders(SCARDCONTEXT context, LPSTR readers, LPDWORD length);
  LONG GetStatusChange(SCARDCONTEXT context, DWORD timeout, SCARD_READERSTATEA* states, DWORD count);
  LONG FreeMemory(SCARDCONTEXT context, LPCVOID memory);

 private:
  bool Known(SCARDCONTEXT context);
  // One pass over the states; true when any of them changed.
  bool UpdateStates(SCARD_READERSTATEA* states, DWORD count);

  std::mutex lock_;
  std::set<SCARDCONTEXT> contexts_;
  std::set<LPCVOID> allocations_;
  SCARDCONTEXT nextContext_ = 0x5C000001;
};

}  // namespace vmw

#endif
