// The module's exported Cryptoki functions and its function list. Every call
// takes the module lock, fails first when the state folder injects a fault for
// it, and otherwise goes to the one VirtualModule.
#include "platform/cryptoki/cryptoki.h"
#include "vmw/module/VirtualModule.h"
#include "vmw/state/FaultPlan.h"
#include "vmw/state/StateFolder.h"

#include <mutex>

namespace {

std::mutex& ModuleLock() {
  static std::mutex lock;
  return lock;
}

vmw::VirtualModule& Module() {
  static vmw::VirtualModule module;
  return module;
}

template <typename Call>
CK_RV Run(const char* function, Call call) {
  std::lock_guard<std::mutex> guard(ModuleLock());
  unsigned long injected = 0;
  if (vmw::TakeFault(vmw::StateFolder::FromEnvironment().FaultsFile(), function, injected))
    return injected;
  return call(Module());
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#define VMW_UNSUPPORTED(name, params) \
  CK_RV CK_CALL_SPEC Unsupported_##name params { return CKR_FUNCTION_NOT_SUPPORTED; }
CK_CRYPTOKI_FUNCTIONS(VMW_UNSUPPORTED)
#undef VMW_UNSUPPORTED
#pragma GCC diagnostic pop

CK_FUNCTION_LIST MakeFunctionList();

}  // namespace

extern "C" {

CK_RV CK_CALL_SPEC C_Initialize(CK_VOID_PTR pInitArgs) {
  return Run("C_Initialize", [&](vmw::VirtualModule& m) { return m.Initialize(pInitArgs); });
}

CK_RV CK_CALL_SPEC C_Finalize(CK_VOID_PTR pReserved) {
  return Run("C_Finalize", [&](vmw::VirtualModule& m) { return m.Finalize(pReserved); });
}

CK_RV CK_CALL_SPEC C_GetInfo(CK_INFO_PTR pInfo) {
  return Run("C_GetInfo", [&](vmw::VirtualModule& m) { return m.GetInfo(pInfo); });
}

CK_RV CK_CALL_SPEC C_GetFunctionList(CK_FUNCTION_LIST_PTR_PTR ppFunctionList) {
  static CK_FUNCTION_LIST list = MakeFunctionList();
  if (ppFunctionList == nullptr) return CKR_ARGUMENTS_BAD;
  *ppFunctionList = &list;
  return CKR_OK;
}

CK_RV CK_CALL_SPEC C_GetSlotList(CK_BBOOL tokenPresent, CK_SLOT_ID_PTR pSlotList, CK_ULONG_PTR pulCount) {
  return Run("C_GetSlotList",
             [&](vmw::VirtualModule& m) { return m.GetSlotList(tokenPresent, pSlotList, pulCount); });
}

CK_RV CK_CALL_SPEC C_GetSlotInfo(CK_SLOT_ID slotID, CK_SLOT_INFO_PTR pInfo) {
  return Run("C_GetSlotInfo", [&](vmw::VirtualModule& m) { return m.GetSlotInfo(slotID, pInfo); });
}

CK_RV CK_CALL_SPEC C_GetTokenInfo(CK_SLOT_ID slotID, CK_TOKEN_INFO_PTR pInfo) {
  return Run("C_GetTokenInfo", [&](vmw::VirtualModule& m) { return m.GetTokenInfo(slotID, pInfo); });
}

CK_RV CK_CALL_SPEC C_GetMechanismList(CK_SLOT_ID slotID, CK_MECHANISM_TYPE_PTR pMechanismList,
                                      CK_ULONG_PTR pulCount) {
  return Run("C_GetMechanismList", [&](vmw::VirtualModule& m) {
    return m.GetMechanismList(slotID, pMechanismList, pulCount);
  });
}

CK_RV CK_CALL_SPEC C_GetMechanismInfo(CK_SLOT_ID slotID, CK_MECHANISM_TYPE type,
                                      CK_MECHANISM_INFO_PTR pInfo) {
  return Run("C_GetMechanismInfo",
             [&](vmw::VirtualModule& m) { return m.GetMechanismInfo(slotID, type, pInfo); });
}

CK_RV CK_CALL_SPEC C_InitToken(CK_SLOT_ID slotID, CK_UTF8CHAR_PTR pPin, CK_ULONG ulPinLen,
                               CK_UTF8CHAR_PTR pLabel) {
  return Run("C_InitToken",
             [&](vmw::VirtualModule& m) { return m.InitToken(slotID, pPin, ulPinLen, pLabel); });
}

CK_RV CK_CALL_SPEC C_InitPIN(CK_SESSION_HANDLE hSession, CK_UTF8CHAR_PTR pPin, CK_ULONG ulPinLen) {
  return Run("C_InitPIN", [&](vmw::VirtualModule& m) { return m.InitPIN(hSession, pPin, ulPinLen); });
}

CK_RV CK_CALL_SPEC C_SetPIN(CK_SESSION_HANDLE hSession, CK_UTF8CHAR_PTR pOldPin, CK_ULONG ulOldLen,
                            CK_UTF8CHAR_PTR pNewPin, CK_ULONG ulNewLen) {
  return Run("C_SetPIN", [&](vmw::VirtualModule& m) {
    return m.SetPIN(hSession, pOldPin, ulOldLen, pNewPin, ulNewLen);
  });
}

CK_RV CK_CALL_SPEC C_OpenSession(CK_SLOT_ID slotID, CK_FLAGS flags, CK_VOID_PTR, CK_NOTIFY,
                                 CK_SESSION_HANDLE_PTR phSession) {
  return Run("C_OpenSession",
             [&](vmw::VirtualModule& m) { return m.OpenSession(slotID, flags, phSession); });
}

CK_RV CK_CALL_SPEC C_CloseSession(CK_SESSION_HANDLE hSession) {
  return Run("C_CloseSession", [&](vmw::VirtualModule& m) { return m.CloseSession(hSession); });
}

CK_RV CK_CALL_SPEC C_CloseAllSessions(CK_SLOT_ID slotID) {
  return Run("C_CloseAllSessions", [&](vmw::VirtualModule& m) { return m.CloseAllSessions(slotID); });
}

CK_RV CK_CALL_SPEC C_GetSessionInfo(CK_SESSION_HANDLE hSession, CK_SESSION_INFO_PTR pInfo) {
  return Run("C_GetSessionInfo", [&](vmw::VirtualModule& m) { return m.GetSessionInfo(hSession, pInfo); });
}

CK_RV CK_CALL_SPEC C_Login(CK_SESSION_HANDLE hSession, CK_USER_TYPE userType, CK_UTF8CHAR_PTR pPin,
                           CK_ULONG ulPinLen) {
  return Run("C_Login",
             [&](vmw::VirtualModule& m) { return m.Login(hSession, userType, pPin, ulPinLen); });
}

CK_RV CK_CALL_SPEC C_Logout(CK_SESSION_HANDLE hSession) {
  return Run("C_Logout", [&](vmw::VirtualModule& m) { return m.Logout(hSession); });
}

CK_RV CK_CALL_SPEC C_CreateObject(CK_SESSION_HANDLE hSession, CK_ATTRIBUTE_PTR pTemplate,
                                  CK_ULONG ulCount, CK_OBJECT_HANDLE_PTR phObject) {
  return Run("C_CreateObject", [&](vmw::VirtualModule& m) {
    return m.CreateObject(hSession, pTemplate, ulCount, phObject);
  });
}

CK_RV CK_CALL_SPEC C_DestroyObject(CK_SESSION_HANDLE hSession, CK_OBJECT_HANDLE hObject) {
  return Run("C_DestroyObject", [&](vmw::VirtualModule& m) { return m.DestroyObject(hSession, hObject); });
}

CK_RV CK_CALL_SPEC C_GetObjectSize(CK_SESSION_HANDLE hSession, CK_OBJECT_HANDLE hObject,
                                   CK_ULONG_PTR pulSize) {
  return Run("C_GetObjectSize",
             [&](vmw::VirtualModule& m) { return m.GetObjectSize(hSession, hObject, pulSize); });
}

CK_RV CK_CALL_SPEC C_GetAttributeValue(CK_SESSION_HANDLE hSession, CK_OBJECT_HANDLE hObject,
                                       CK_ATTRIBUTE_PTR pTemplate, CK_ULONG ulCount) {
  return Run("C_GetAttributeValue", [&](vmw::VirtualModule& m) {
    return m.GetAttributeValue(hSession, hObject, pTemplate, ulCount);
  });
}

CK_RV CK_CALL_SPEC C_SetAttributeValue(CK_SESSION_HANDLE hSession, CK_OBJECT_HANDLE hObject,
                                       CK_ATTRIBUTE_PTR pTemplate, CK_ULONG ulCount) {
  return Run("C_SetAttributeValue", [&](vmw::VirtualModule& m) {
    return m.SetAttributeValue(hSession, hObject, pTemplate, ulCount);
  });
}

CK_RV CK_CALL_SPEC C_FindObjectsInit(CK_SESSION_HANDLE hSession, CK_ATTRIBUTE_PTR pTemplate,
                                     CK_ULONG ulCount) {
  return Run("C_FindObjectsInit",
             [&](vmw::VirtualModule& m) { return m.FindObjectsInit(hSession, pTemplate, ulCount); });
}

CK_RV CK_CALL_SPEC C_FindObjects(CK_SESSION_HANDLE hSession, CK_OBJECT_HANDLE_PTR phObject,
                                 CK_ULONG ulMaxObjectCount, CK_ULONG_PTR pulObjectCount) {
  return Run("C_FindObjects", [&](vmw::VirtualModule& m) {
    return m.FindObjects(hSession, phObject, ulMaxObjectCount, pulObjectCount);
  });
}

CK_RV CK_CALL_SPEC C_FindObjectsFinal(CK_SESSION_HANDLE hSession) {
  return Run("C_FindObjectsFinal", [&](vmw::VirtualModule& m) { return m.FindObjectsFinal(hSession); });
}

}  // extern "C"

namespace {

CK_FUNCTION_LIST MakeFunctionList() {
  CK_FUNCTION_LIST list;
  list.version = CK_VERSION{2, 20};
#define VMW_FILL(name, params) list.name = Unsupported_##name;
  CK_CRYPTOKI_FUNCTIONS(VMW_FILL)
#undef VMW_FILL
  list.C_Initialize = C_Initialize;
  list.C_Finalize = C_Finalize;
  list.C_GetInfo = C_GetInfo;
  list.C_GetFunctionList = C_GetFunctionList;
  list.C_GetSlotList = C_GetSlotList;
  list.C_GetSlotInfo = C_GetSlotInfo;
  list.C_GetTokenInfo = C_GetTokenInfo;
  list.C_GetMechanismList = C_GetMechanismList;
  list.C_GetMechanismInfo = C_GetMechanismInfo;
  list.C_InitToken = C_InitToken;
  list.C_InitPIN = C_InitPIN;
  list.C_SetPIN = C_SetPIN;
  list.C_OpenSession = C_OpenSession;
  list.C_CloseSession = C_CloseSession;
  list.C_CloseAllSessions = C_CloseAllSessions;
  list.C_GetSessionInfo = C_GetSessionInfo;
  list.C_Login = C_Login;
  list.C_Logout = C_Logout;
  list.C_CreateObject = C_CreateObject;
  list.C_DestroyObject = C_DestroyObject;
  list.C_GetObjectSize = C_GetObjectSize;
  list.C_GetAttributeValue = C_GetAttributeValue;
  list.C_SetAttributeValue = C_SetAttributeValue;
  list.C_FindObjectsInit = C_FindObjectsInit;
  list.C_FindObjects = C_FindObjects;
  list.C_FindObjectsFinal = C_FindObjectsFinal;
  return list;
}

}  // namespace
