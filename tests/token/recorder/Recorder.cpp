#include "tests/token/recorder/Recorder.h"

#define CRYPTOKI_EXPORTS
#include "platform/cryptoki/cryptoki.h"
#include "tokarium/token/ModuleLoader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

CK_FUNCTION_LIST g_list;
CK_FUNCTION_LIST_PTR g_target = nullptr;
std::vector<std::string> g_calls;
struct Fault {
    CK_RV rv;
    int times;
};
std::map<std::string, Fault> g_faults;
bool g_complete = false;

std::string Hex(const void* data, CK_ULONG length)
{
    if (!data)
        return "null";
    std::string out;
    char pair[3];
    for (CK_ULONG i = 0; i < length; ++i) {
        std::snprintf(pair, sizeof pair, "%02X", static_cast<const unsigned char*>(data)[i]);
        out += pair;
    }
    return out;
}

std::string Number(CK_ULONG value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%lX", static_cast<unsigned long>(value));
    return text;
}

// Attribute types in hex, values in hex (or their length only when asked).
std::string Template(const CK_ATTRIBUTE* attributes, CK_ULONG count, bool values)
{
    if (!attributes)
        return "null";
    std::string out = "[";
    for (CK_ULONG i = 0; i < count; ++i) {
        if (i)
            out += ",";
        out += Number(attributes[i].type) + "=";
        out += values ? Hex(attributes[i].pValue, attributes[i].ulValueLen)
                      : (attributes[i].pValue ? "buffer:" : "null:")
                            + Number(attributes[i].ulValueLen);
    }
    return out + "]";
}

void Record(const std::string& line) { g_calls.push_back(line); }

// True, with rv set, when the call is to fail instead of reaching the target.
bool Injected(const char* function, CK_RV& rv)
{
    auto fault = g_faults.find(function);
    if (fault == g_faults.end() || fault->second.times == 0)
        return false;
    rv = fault->second.rv;
    if (fault->second.times > 0)
        --fault->second.times;
    return true;
}

#define FORWARD(name, ...)                              \
    do {                                                \
        CK_RV injected;                                 \
        if (Injected(#name, injected))                  \
            return injected;                            \
        return g_target->name(__VA_ARGS__);             \
    } while (0)

CK_RV Initialize(CK_VOID_PTR args)
{
    std::string line = "C_Initialize";
    if (!args) {
        line += " null";
    } else {
        auto* a = static_cast<CK_C_INITIALIZE_ARGS*>(args);
        line += " flags=" + Number(a->flags);
        line += a->CreateMutex || a->DestroyMutex || a->LockMutex || a->UnlockMutex
                    ? " mutexes" : " no-mutexes";
        line += a->pReserved ? " reserved" : " no-reserved";
    }
    Record(line);
    FORWARD(C_Initialize, args);
}

CK_RV Finalize(CK_VOID_PTR reserved)
{
    Record(std::string("C_Finalize ") + (reserved ? "reserved" : "null"));
    FORWARD(C_Finalize, reserved);
}

CK_RV GetSlotList(CK_BBOOL present, CK_SLOT_ID_PTR slots, CK_ULONG_PTR count)
{
    Record("C_GetSlotList present=" + Number(present) + " count=" + Number(*count)
           + (slots ? "" : " null"));
    FORWARD(C_GetSlotList, present, slots, count);
}

CK_RV GetSlotInfo(CK_SLOT_ID slot, CK_SLOT_INFO_PTR info)
{
    Record("C_GetSlotInfo slot=" + Number(slot));
    FORWARD(C_GetSlotInfo, slot, info);
}

CK_RV GetTokenInfo(CK_SLOT_ID slot, CK_TOKEN_INFO_PTR info)
{
    Record("C_GetTokenInfo slot=" + Number(slot));
    FORWARD(C_GetTokenInfo, slot, info);
}

CK_RV OpenSession(CK_SLOT_ID slot, CK_FLAGS flags, CK_VOID_PTR application, CK_NOTIFY notify,
                  CK_SESSION_HANDLE_PTR session)
{
    Record("C_OpenSession slot=" + Number(slot) + " flags=" + Number(flags)
           + (application ? " application" : " no-application")
           + (notify ? " notify" : " no-notify"));
    FORWARD(C_OpenSession, slot, flags, application, notify, session);
}

CK_RV CloseSession(CK_SESSION_HANDLE session)
{
    Record("C_CloseSession");
    FORWARD(C_CloseSession, session);
}

CK_RV Login(CK_SESSION_HANDLE session, CK_USER_TYPE user, CK_UTF8CHAR_PTR pin, CK_ULONG length)
{
    Record("C_Login user=" + Number(user) + " pin=" + Hex(pin, length));
    FORWARD(C_Login, session, user, pin, length);
}

CK_RV Logout(CK_SESSION_HANDLE session)
{
    Record("C_Logout");
    FORWARD(C_Logout, session);
}

CK_RV SetPIN(CK_SESSION_HANDLE session, CK_UTF8CHAR_PTR oldPin, CK_ULONG oldLength,
             CK_UTF8CHAR_PTR newPin, CK_ULONG newLength)
{
    Record("C_SetPIN old=" + Hex(oldPin, oldLength) + " new=" + Hex(newPin, newLength));
    FORWARD(C_SetPIN, session, oldPin, oldLength, newPin, newLength);
}

CK_RV InitPIN(CK_SESSION_HANDLE session, CK_UTF8CHAR_PTR pin, CK_ULONG length)
{
    Record("C_InitPIN pin=" + Hex(pin, length));
    FORWARD(C_InitPIN, session, pin, length);
}

CK_RV InitToken(CK_SLOT_ID slot, CK_UTF8CHAR_PTR pin, CK_ULONG length, CK_UTF8CHAR_PTR label)
{
    Record("C_InitToken slot=" + Number(slot) + " pin=" + Hex(pin, length) + " label="
           + Hex(label, 32));
    FORWARD(C_InitToken, slot, pin, length, label);
}

bool Has(const CK_ATTRIBUTE* attributes, CK_ULONG count, CK_ATTRIBUTE_TYPE type)
{
    for (CK_ULONG i = 0; i < count; ++i)
        if (attributes[i].type == type)
            return true;
    return false;
}

CK_RV CreateObject(CK_SESSION_HANDLE session, CK_ATTRIBUTE_PTR attributes, CK_ULONG count,
                   CK_OBJECT_HANDLE_PTR object)
{
    Record("C_CreateObject " + Template(attributes, count, true));
    CK_RV injected;
    if (Injected("C_CreateObject", injected))
        return injected;
    if (!g_complete || !attributes || count == 0)
        return g_target->C_CreateObject(session, attributes, count, object);
    std::vector<CK_ATTRIBUTE> completed(attributes, attributes + count);
    static CK_CERTIFICATE_TYPE x509 = CKC_X_509;
    static CK_KEY_TYPE rsa = CKK_RSA;
    if (!Has(attributes, count, CKA_CERTIFICATE_TYPE) && Has(attributes, count, CKA_VALUE))
        completed.push_back({CKA_CERTIFICATE_TYPE, &x509, sizeof x509});
    if (!Has(attributes, count, CKA_KEY_TYPE) && Has(attributes, count, CKA_MODULUS))
        completed.push_back({CKA_KEY_TYPE, &rsa, sizeof rsa});
    return g_target->C_CreateObject(session, completed.data(),
                                    static_cast<CK_ULONG>(completed.size()), object);
}

CK_RV DestroyObject(CK_SESSION_HANDLE session, CK_OBJECT_HANDLE object)
{
    Record("C_DestroyObject " + Number(object));
    FORWARD(C_DestroyObject, session, object);
}

CK_RV GetAttributeValue(CK_SESSION_HANDLE session, CK_OBJECT_HANDLE object,
                        CK_ATTRIBUTE_PTR attributes, CK_ULONG count)
{
    Record("C_GetAttributeValue " + Number(object) + " " + Template(attributes, count, false));
    FORWARD(C_GetAttributeValue, session, object, attributes, count);
}

CK_RV SetAttributeValue(CK_SESSION_HANDLE session, CK_OBJECT_HANDLE object,
                        CK_ATTRIBUTE_PTR attributes, CK_ULONG count)
{
    Record("C_SetAttributeValue " + Number(object) + " " + Template(attributes, count, true));
    FORWARD(C_SetAttributeValue, session, object, attributes, count);
}

CK_RV FindObjectsInit(CK_SESSION_HANDLE session, CK_ATTRIBUTE_PTR attributes, CK_ULONG count)
{
    Record("C_FindObjectsInit " + Template(attributes, count, true));
    FORWARD(C_FindObjectsInit, session, attributes, count);
}

CK_RV FindObjects(CK_SESSION_HANDLE session, CK_OBJECT_HANDLE_PTR objects, CK_ULONG max,
                  CK_ULONG_PTR found)
{
    Record("C_FindObjects max=" + Number(max));
    FORWARD(C_FindObjects, session, objects, max, found);
}

CK_RV FindObjectsFinal(CK_SESSION_HANDLE session)
{
    Record("C_FindObjectsFinal");
    FORWARD(C_FindObjectsFinal, session);
}

} // namespace

extern "C" CK_EXPORT_SPEC CK_RV CK_CALL_SPEC C_GetFunctionList(CK_FUNCTION_LIST_PTR_PTR list)
{
    if (!g_target) {
        const char* path = std::getenv("QUORIN_RECORDER_TARGET");
        uint32_t error = 0;
        ModuleHandle module = path ? OpenModule(path, &error) : nullptr;
        auto entry = module ? reinterpret_cast<CK_C_GetFunctionList>(
                                  FindModuleEntry(module, "C_GetFunctionList", &error))
                            : nullptr;
        if (!entry || entry(&g_target) != CKR_OK || !g_target)
            return CKR_GENERAL_ERROR;
    }
    g_list = *g_target;
    g_list.C_Initialize = Initialize;
    g_list.C_Finalize = Finalize;
    g_list.C_GetSlotList = GetSlotList;
    g_list.C_GetSlotInfo = GetSlotInfo;
    g_list.C_GetTokenInfo = GetTokenInfo;
    g_list.C_OpenSession = OpenSession;
    g_list.C_CloseSession = CloseSession;
    g_list.C_Login = Login;
    g_list.C_Logout = Logout;
    g_list.C_SetPIN = SetPIN;
    g_list.C_InitPIN = InitPIN;
    g_list.C_InitToken = InitToken;
    g_list.C_CreateObject = CreateObject;
    g_list.C_DestroyObject = DestroyObject;
    g_list.C_GetAttributeValue = GetAttributeValue;
    g_list.C_SetAttributeValue = SetAttributeValue;
    g_list.C_FindObjectsInit = FindObjectsInit;
    g_list.C_FindObjects = FindObjects;
    g_list.C_FindObjectsFinal = FindObjectsFinal;
    *list = &g_list;
    return CKR_OK;
}

RECORDER_EXPORT int RecorderCallCount() { return static_cast<int>(g_calls.size()); }

RECORDER_EXPORT const char* RecorderCall(int index)
{
    return index >= 0 && index < RecorderCallCount() ? g_calls[index].c_str() : "";
}

RECORDER_EXPORT void RecorderClear()
{
    g_calls.clear();
    g_faults.clear();
}

RECORDER_EXPORT void RecorderFail(const char* function, unsigned long rv, int times)
{
    g_faults[function] = Fault{static_cast<CK_RV>(rv), times};
}

RECORDER_EXPORT void RecorderComplete(int on) { g_complete = on != 0; }
