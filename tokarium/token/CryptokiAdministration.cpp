// Login, PIN and PUK changes, and the token's label.

#include "tokarium/token/Cryptoki.h"

#include "tokarium/token/TokenCall.h"

#include <cstring>

namespace {

bool LoggedIn(CK_RV rv)
{
    return rv == CKR_OK || rv == CKR_USER_ALREADY_LOGGED_IN;
}

} // namespace

CK_RV CCryptoki::UserLogin(CK_SESSION_HANDLE session, CK_USER_TYPE userType, const char* secret)
{
    SecretText copy(secret);
    CK_RV rv = m_functions->C_Login(session, userType, copy.Data(), copy.Length());
    return LoggedIn(rv) ? CKR_OK : rv;
}

CK_RV CCryptoki::Login(CK_SESSION_HANDLE session, const char* pin)
{
    if (!m_functions)
        return CKR_CRYPTOKI_NOT_INITIALIZED;
    return UserLogin(session, CKU_USER, pin);
}

CK_RV CCryptoki::ChangePIN(CK_SESSION_HANDLE session, CK_USER_TYPE userType,
                           const char* oldSecret, const char* newSecret)
{
    if (!m_functions)
        return CKR_CRYPTOKI_NOT_INITIALIZED;
    CK_RV rv = UserLogin(session, userType, oldSecret);
    if (rv != CKR_OK)
        return rv;
    SecretText oldCopy(oldSecret);
    SecretText newCopy(newSecret);
    return m_functions->C_SetPIN(session, oldCopy.Data(), oldCopy.Length(), newCopy.Data(),
                                 newCopy.Length());
}

CK_RV CCryptoki::UnlockPIN(CK_SESSION_HANDLE session, const char* puk, const char* newPin)
{
    if (!m_functions)
        return CKR_CRYPTOKI_NOT_INITIALIZED;
    CK_RV rv = UserLogin(session, CKU_SO, puk);
    if (rv != CKR_OK)
        return rv;
    {
        SecretText pinCopy(newPin);
        rv = m_functions->C_InitPIN(session, pinCopy.Data(), pinCopy.Length());
    }
    if (rv != CKR_OK)
        return rv;
    m_functions->C_Logout(session);
    return UserLogin(session, CKU_USER, newPin);
}

CK_RV CCryptoki::InitToken(CK_SLOT_ID slot, const char* label)
{
    if (!m_functions)
        return CKR_CRYPTOKI_NOT_INITIALIZED;
    CK_UTF8CHAR field[TOKEN_LABEL_SIZE];
    std::memset(field, ' ', sizeof field);
    size_t length = std::strlen(label);
    std::memcpy(field, label, length < sizeof field ? length : sizeof field);
    CK_UTF8CHAR emptyPin[1] = {0};
    return m_functions->C_InitToken(slot, emptyPin, 0, field);
}
