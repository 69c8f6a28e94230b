// Binding of the module, library initialisation, slots and sessions.

#include "tokarium/token/Cryptoki.h"

#include "tokarium/app/ActivityLog.h"
#include "tokarium/token/TokenCall.h"

#include <cstring>

CCryptoki::CCryptoki() : m_entryPoint(nullptr), m_functions(nullptr), m_module(nullptr) {}

CCryptoki::~CCryptoki()
{
    Detach();
}

CK_RV CCryptoki::Attach(const char* fileName)
{
    // A second Attach would otherwise lose the first module's handle.
    if (m_module)
        Detach();
    uint32_t error = 0;
    m_module = OpenModule(fileName, &error);
    if (!m_module)
        return error;
    m_entryPoint = reinterpret_cast<CK_C_GetFunctionList>(
        FindModuleEntry(m_module, "C_GetFunctionList", &error));
    if (!m_entryPoint)
        return error;
    CK_RV rv = m_entryPoint(&m_functions);
    if (rv != CKR_OK)
        m_functions = nullptr;
    return rv;
}

CK_RV CCryptoki::Initialize()
{
    if (!m_functions)
        return CKR_CRYPTOKI_NOT_INITIALIZED;
    CK_C_INITIALIZE_ARGS args;
    std::memset(&args, 0, sizeof args);
    args.flags = CKF_OS_LOCKING_OK;
    CK_RV rv = m_functions->C_Initialize(&args);
    return rv == CKR_CRYPTOKI_ALREADY_INITIALIZED ? CKR_OK : rv;
}

CK_RV CCryptoki::Finalize()
{
    if (!m_functions)
        return CKR_CRYPTOKI_NOT_INITIALIZED;
    return m_functions->C_Finalize(nullptr);
}

CK_RV CCryptoki::Detach()
{
    theLog.LogDebug(0, "CCryptoki::Detach", "Detach");
    if (!m_module)
        return 0;
    if (m_functions)
        m_functions->C_Finalize(nullptr);
    CloseModule(m_module);
    m_module = nullptr;
    m_functions = nullptr;
    m_entryPoint = nullptr;
    return 0;
}

CK_RV CCryptoki::ListPresentSlots(CK_SLOT_ID* slots, CK_ULONG& count)
{
    if (!m_functions)
        return CKR_CRYPTOKI_NOT_INITIALIZED;
    count = MAX_SLOTS;
    CK_RV rv = m_functions->C_GetSlotList(CK_TRUE, slots, &count);
    // A module must not claim more slots than it was given room for.
    if (rv == CKR_OK && count > MAX_SLOTS)
        return CKR_BUFFER_TOO_SMALL;
    return rv;
}

CK_RV CCryptoki::GetSlotList(CK_SLOT_ID* slots, SlotDescription* descriptions, CK_ULONG& count)
{
    CK_SLOT_ID present[MAX_SLOTS];
    CK_ULONG presentCount = 0;
    CK_RV rv = ListPresentSlots(present, presentCount);
    if (rv != CKR_OK)
        return rv;
    if (presentCount > count)
        return MORE_DATA;
    count = presentCount;
    for (CK_ULONG i = 0; i < presentCount; ++i) {
        slots[i] = present[i];
        CK_SLOT_INFO info;
        rv = m_functions->C_GetSlotInfo(present[i], &info);
        if (rv != CKR_OK)
            return rv;
        static_assert(sizeof info.slotDescription == SLOT_DESCRIPTION_SIZE - 1,
                      "slot descriptions are 64 characters");
        std::memcpy(descriptions[i], info.slotDescription, sizeof info.slotDescription);
        descriptions[i][sizeof info.slotDescription] = 0;
    }
    return CKR_OK;
}

CK_RV CCryptoki::GetSlotID(const char* readerName, CK_SLOT_ID& slot)
{
    CK_SLOT_ID slots[MAX_SLOTS];
    SlotDescription descriptions[MAX_SLOTS];
    CK_ULONG count = MAX_SLOTS;
    CK_RV rv = GetSlotList(slots, descriptions, count);
    if (rv != CKR_OK)
        return rv;
    size_t nameLength = std::strlen(readerName);
    for (CK_ULONG i = 0; i < count; ++i) {
        if (nameLength < SLOT_DESCRIPTION_SIZE
            && std::memcmp(descriptions[i], readerName, nameLength) == 0) {
            slot = slots[i];
            return CKR_OK;
        }
    }
    return CKR_OK;
}

CK_RV CCryptoki::GetTokenInfo(CK_SLOT_ID slot, CK_TOKEN_INFO& info)
{
    if (!m_functions)
        return CKR_CRYPTOKI_NOT_INITIALIZED;
    return m_functions->C_GetTokenInfo(slot, &info);
}

CK_RV CCryptoki::OpenSession(CK_SLOT_ID slot, CK_SESSION_HANDLE& session)
{
    CK_SLOT_ID slots[MAX_SLOTS];
    CK_ULONG count = 0;
    CK_RV rv = ListPresentSlots(slots, count);
    if (rv != CKR_OK)
        return rv;
    if (count == 0)
        return NO_TOKEN_PRESENT;
    CK_SLOT_ID chosen = slots[0];
    for (CK_ULONG i = 0; i < count; ++i) {
        if (slots[i] == slot) {
            chosen = slot;
            break;
        }
    }
    CK_SESSION_HANDLE opened = CK_INVALID_HANDLE;
    rv = m_functions->C_OpenSession(chosen, CKF_SERIAL_SESSION | CKF_RW_SESSION, nullptr,
                                    nullptr, &opened);
    if (rv != CKR_OK)
        return rv;
    session = opened;
    theLog.LogDebug(0, "CCryptoki::OpenSession", "OpenSession slot: %x, session :%x",
                    AsHex(chosen), AsHex(session));
    return CKR_OK;
}

CK_RV CCryptoki::CloseSession(CK_SESSION_HANDLE session)
{
    if (!m_functions)
        return CKR_CRYPTOKI_NOT_INITIALIZED;
    return m_functions->C_CloseSession(session);
}

CK_RV CCryptoki::Logout(CK_SESSION_HANDLE session)
{
    theLog.LogDebug(0, "CCryptoki::Logout", "Logout session :%x", AsHex(session));
    if (!m_functions)
        return CKR_CRYPTOKI_NOT_INITIALIZED;
    return m_functions->C_Logout(session);
}
