#pragma once
// CCryptoki: tokarium's only way to a token. It binds the PKCS#11 module at
// run time and makes every call through the module's function list. Every
// operation returns the module's CK_RV unchanged, except where noted.

#include "platform/cryptoki/cryptoki.h"
#include "tokarium/token/ModuleLoader.h"
#include "tokarium/token/TokenLists.h"

class CByteArray;
class CCertificate;
class CPKCS12;
struct PrivateKeyComponents;

class CCryptoki {
public:
    enum {
        MAX_SLOTS = 10,
        MAX_LISTED_OBJECTS = 40,
        SLOT_DESCRIPTION_SIZE = 65,  // the 64 blank-padded characters and a NUL
        TOKEN_LABEL_SIZE = 32
    };
    typedef char SlotDescription[SLOT_DESCRIPTION_SIZE];

    // Not a CKR code: the Win32 ERROR_MORE_DATA.
    static constexpr CK_RV MORE_DATA = 234;
    // Returned by OpenSession when no slot holds a token.
    static constexpr CK_RV NO_TOKEN_PRESENT = CKR_TOKEN_NOT_PRESENT;
    // Returned by GetCertificate when no certificate carries the label.
    static constexpr CK_RV CERTIFICATE_NOT_FOUND = CKR_OBJECT_HANDLE_INVALID;

    CCryptoki();
    virtual ~CCryptoki();

    virtual CK_RV GetSlotList(CK_SLOT_ID* slots, SlotDescription* descriptions, CK_ULONG& count);
    virtual CK_RV GetTokenInfo(CK_SLOT_ID slot, CK_TOKEN_INFO& info);
    virtual CK_RV GetSlotID(const char* readerName, CK_SLOT_ID& slot);
    virtual CK_RV GetCertificate(CK_SESSION_HANDLE session, const char* label,
                                 CCertificate*& certificate, CByteArray& id);
    virtual CK_RV GetPrivateKeys(CK_SESSION_HANDLE session, PrivateKeyList& list);
    virtual CK_RV ImportPKCS12(CK_SESSION_HANDLE session, CPKCS12& pkcs12, bool allCertificates);
    virtual CK_RV DeleteCertificate(CK_SESSION_HANDLE session, const char* label);
    virtual CK_RV ImportCertificate(CK_SESSION_HANDLE session, CCertificate& certificate,
                                    bool takeKeyIdentity);
    virtual CK_RV CloseSession(CK_SESSION_HANDLE session);

    // 0, the loader's error code (126, 127), or the CK_RV of C_GetFunctionList.
    CK_RV Attach(const char* fileName);
    CK_RV Initialize();
    CK_RV Finalize();
    CK_RV Detach();
    CK_RV OpenSession(CK_SLOT_ID slot, CK_SESSION_HANDLE& session);
    CK_RV Logout(CK_SESSION_HANDLE session);
    CK_RV GetCertificates(CK_SESSION_HANDLE session, CertificateList& list);
    CK_RV Login(CK_SESSION_HANDLE session, const char* pin);
    CK_RV ChangePIN(CK_SESSION_HANDLE session, CK_USER_TYPE userType,
                    const char* oldSecret, const char* newSecret);
    CK_RV UnlockPIN(CK_SESSION_HANDLE session, const char* puk, const char* newPin);
    CK_RV InitToken(CK_SLOT_ID slot, const char* label);
    CK_RV ResetDevice(CK_SESSION_HANDLE session);

private:
    CCryptoki(const CCryptoki&) = delete;
    CCryptoki& operator=(const CCryptoki&) = delete;

    CK_RV ListPresentSlots(CK_SLOT_ID* slots, CK_ULONG& count);
    CK_RV FindObjects(CK_SESSION_HANDLE session, CK_ATTRIBUTE* search, CK_ULONG searchSize,
                      CK_OBJECT_HANDLE* found, CK_ULONG capacity, CK_ULONG& foundCount);
    CK_RV FillCertificateEntry(CK_SESSION_HANDLE session, CK_OBJECT_HANDLE object,
                               CertificateEntry& entry);
    CK_RV FillPrivateKeyEntry(CK_SESSION_HANDLE session, CK_OBJECT_HANDLE object,
                              PrivateKeyEntry& entry);
    CK_RV DeleteByLabel(CK_SESSION_HANDLE session, CK_OBJECT_CLASS objectClass,
                        const char* label, const char* tag, CK_RV& stepResult);
    CK_RV ResetPass(CK_SESSION_HANDLE session, CK_OBJECT_CLASS objectClass,
                    const char* foundFormat, bool logNone, const char* failureFormat);
    CK_RV TakeKeyIdentity(CK_SESSION_HANDLE session, CCertificate& certificate,
                          CK_OBJECT_HANDLE certificateObject);
    CK_RV CreatePrivateKey(CK_SESSION_HANDLE session, CCertificate& firstCertificate,
                           const PrivateKeyComponents& key);
    CK_RV UserLogin(CK_SESSION_HANDLE session, CK_USER_TYPE userType, const char* secret);

    CK_C_GetFunctionList m_entryPoint;
    CK_FUNCTION_LIST_PTR m_functions;
    ModuleHandle m_module;
};
