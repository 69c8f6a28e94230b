// The exports of the simulated winscard.dll.
#include "vmw/readers/ReaderService.h"

extern "C" {

__declspec(dllexport) LONG WINAPI SCardEstablishContext(DWORD dwScope, LPCVOID, LPCVOID, LPSCARDCONTEXT phContext) {
  return vmw::ReaderService::Instance().EstablishContext(dwScope, phContext);
}

__declspec(dllexport) LONG WINAPI SCardReleaseContext(SCARDCONTEXT hContext) {
  return vmw::ReaderService::Instance().ReleaseContext(hContext);
}

__declspec(dllexport) LONG WINAPI SCardIsValidContext(SCARDCONTEXT hContext) {
  return vmw::ReaderService::Instance().IsValidContext(hContext);
}

__declspec(dllexport) LONG WINAPI SCardListReadersA(SCARDCONTEXT hContext, LPCSTR, LPSTR mszReaders, LPDWORD pcchReaders) {
  return vmw::ReaderService::Instance().ListReaders(hContext, mszReaders, pcchReaders);
}

__declspec(dllexport) LONG WINAPI SCardGetStatusChangeA(SCARDCONTEXT hContext, DWORD dwTimeout,
                                  LPSCARD_READERSTATEA rgReaderStates, DWORD cReaders) {
  return vmw::ReaderService::Instance().GetStatusChange(hContext, dwTimeout, rgReaderStates, cReaders);
}

__declspec(dllexport) LONG WINAPI SCardFreeMemory(SCARDCONTEXT hContext, LPCVOID pvMem) {
  return vmw::ReaderService::Instance().FreeMemory(hContext, pvMem);
}

}  // extern "C"
