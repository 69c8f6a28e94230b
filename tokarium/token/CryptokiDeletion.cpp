// Removing a certificate with its keys, and emptying the token.

#include "tokarium/token/Cryptoki.h"

#include "tokarium/app/ActivityLog.h"
#include "tokarium/token/TokenCall.h"

#include <cstring>

namespace {
const char RESET_TAG[] = "CCryptoki::ResertDevice";
}

CK_RV CCryptoki::DeleteCertificate(CK_SESSION_HANDLE session, const char* label)
{
    struct Step {
        CK_OBJECT_CLASS objectClass;
        const char* tag;
    };
    static const Step steps[] = {
        {CKO_CERTIFICATE, "CCryptoki::DeleteCertificate"},
        {CKO_PRIVATE_KEY, "CCryptoki::DeletePrivateKey"},
        {CKO_PUBLIC_KEY, "CCryptoki::DeletePublicKey"},
    };
    // The public key's failure first; an object of the other steps that stays
    // must not pass for a deletion either.
    CK_RV firstFailure = CKR_OK;
    CK_RV stepResult = CKR_OK;
    for (const Step& step : steps) {
        CK_RV rv = DeleteByLabel(session, step.objectClass, label, step.tag, stepResult);
        if (rv != CKR_OK)
            return rv;
        if (firstFailure == CKR_OK)
            firstFailure = stepResult;
    }
    return stepResult != CKR_OK ? stepResult : firstFailure;
}

// Destroys the first object of the class with the label. The search's failure
// is the result; the destroy's outcome goes to stepResult.
CK_RV CCryptoki::DeleteByLabel(CK_SESSION_HANDLE session, CK_OBJECT_CLASS objectClass,
                               const char* label, const char* tag, CK_RV& stepResult)
{
    CK_ATTRIBUTE search[] = {
        MakeAttribute(CKA_CLASS, &objectClass, sizeof objectClass),
        MakeAttribute(CKA_LABEL, label, static_cast<CK_ULONG>(std::strlen(label))),
    };
    CK_OBJECT_HANDLE object = CK_INVALID_HANDLE;
    CK_ULONG found = 0;
    CK_RV rv = FindObjects(session, search, 2, &object, 1, found);
    if (rv != CKR_OK)
        return rv;
    stepResult = found ? m_functions->C_DestroyObject(session, object) : CKR_OK;
    theLog.LogDebug(0, tag, "rv: %x", AsHex(stepResult));
    return CKR_OK;
}

CK_RV CCryptoki::ResetDevice(CK_SESSION_HANDLE session)
{
    CK_RV rv = ResetPass(session, CKO_CERTIFICATE, "Certificate found: %d", false,
                         "Unable to delete Certificate Key: %d");
    if (rv == CKR_OK)
        rv = ResetPass(session, CKO_PUBLIC_KEY, "Public Key found: %d", false,
                       "Unable to delete Public Key: %d");
    if (rv == CKR_OK)
        rv = ResetPass(session, CKO_PRIVATE_KEY, "Private Key found: %d", true,
                       "Unable to delete Private Key: %d");
    return rv;
}

// Destroys up to 40 objects of the class; failures are only logged.
CK_RV CCryptoki::ResetPass(CK_SESSION_HANDLE session, CK_OBJECT_CLASS objectClass,
                           const char* foundFormat, bool logNone, const char* failureFormat)
{
    CK_ATTRIBUTE search[] = {
        MakeAttribute(CKA_CLASS, &objectClass, sizeof objectClass),
    };
    CK_OBJECT_HANDLE found[MAX_LISTED_OBJECTS];
    CK_ULONG count = 0;
    CK_RV rv = FindObjects(session, search, 1, found, MAX_LISTED_OBJECTS, count);
    if (rv != CKR_OK)
        return rv;
    if (count > 0 || logNone)
        theLog.LogInfo(0, RESET_TAG, foundFormat, AsCount(count));
    for (CK_ULONG i = 0; i < count; ++i) {
        if (m_functions->C_DestroyObject(session, found[i]) != CKR_OK)
            theLog.LogInfo(0, RESET_TAG, failureFormat, AsCount(i));
    }
    return CKR_OK;
}
