// Change PIN, Unlock PIN, Change PUK and Change Token Name.
#include "tokarium/app/TokariumDlg.h"

#include "tokarium/app/ActivityLog.h"
#include "tokarium/app/DlgChangePIN.h"
#include "tokarium/app/DlgTokenName.h"
#include "tokarium/app/DlgUnlockPIN.h"
#include "tokarium/app/SecretText.h"
#include "tokarium/app/TextConversion.h"
#include "tokarium/app/WaitCursor.h"

#include <string>

namespace {

struct FailureTexts {
    const wchar_t* wrongSecret;  // CKR_PIN_INCORRECT, CKR_PIN_INVALID
    const wchar_t* lockedSecret; // CKR_PIN_LOCKED
    const wchar_t* other;
};
const FailureTexts kPinFailures = {L"Invalid PIN", L"PIN Locked", L"Change PIN Error"};
const FailureTexts kPukFailures = {L"Invalid PUK", L"PUK Locked", L"Change PUK Error"};

// The log record and the error box of a failed command; false when rv is 0.
bool ReportFailure(HWND owner, CK_RV rv, const char* tag, const FailureTexts& texts)
{
    if (rv == CKR_OK)
        return false;
    theLog.LogError(0, tag, "Error: %x", static_cast<unsigned>(rv));
    const wchar_t* text = texts.other;
    if (rv == CKR_PIN_INCORRECT || rv == CKR_PIN_INVALID)
        text = texts.wrongSecret;
    else if (rv == CKR_PIN_LOCKED)
        text = texts.lockedSecret;
    ShowErrorBox(owner, text);
    return true;
}

}  // namespace

void CTokariumDlg::LogOutToken(TokenRecord* token)
{
    m_cryptoki.Logout(token->session);
    token->loggedIn = false;
    DeleteChildren(token->treeItem);
    m_btnLogin.SetWindowTextW(L"Login");
    FreeCertificateList(token->certificates);
    token->certificates = nullptr;
}

void CTokariumDlg::OnChangePINCommand()
{
    CommandScope command(*this);
    TokenRecord* token = GetSelectedToken();
    if (!token)
        return;
    CDlgChangePIN dialog(true, this);
    if (dialog.DoModal() != IDOK || !EnsureSession(token))
        return;
    CK_RV rv;
    {
        CWaitCursor wait;
        CNarrowSecret oldPin(dialog.m_oldPin.c_str());
        CNarrowSecret newPin(dialog.m_newPin.c_str());
        dialog.WipeSecrets();
        rv = m_cryptoki.ChangePIN(token->session, CKU_USER, oldPin.c_str(), newPin.c_str());
        // Checking the current PIN logged the session in; a token shown as
        // logged out must not stay logged in behind the user's back.
        if (!token->loggedIn)
            m_cryptoki.Logout(token->session);
    }
    if (!ReportFailure(m_hWnd, rv, "ChangePIN", kPinFailures))
        AfxMessageBox(L"PIN changed succesfully", MB_OK);
    ShowTokenDetails(token);
}

void CTokariumDlg::OnUnlockPINCommand()
{
    CommandScope command(*this);
    TokenRecord* token = GetSelectedToken();
    if (!token)
        return;
    CDlgUnlockPIN dialog(this);
    if (dialog.DoModal() != IDOK || !EnsureSession(token))
        return;
    CK_RV rv;
    {
        CWaitCursor wait;
        CNarrowSecret puk(dialog.m_puk.c_str());
        CNarrowSecret newPin(dialog.m_newPin.c_str());
        dialog.WipeSecrets();
        rv = m_cryptoki.UnlockPIN(token->session, puk.c_str(), newPin.c_str());
        // On success the session is logged in as the user. A failure after the
        // PUK was accepted leaves the security officer logged in.
        if (rv == CKR_OK)
            token->loggedIn = true;
        else if (!token->loggedIn)
            m_cryptoki.Logout(token->session);
    }
    if (!ReportFailure(m_hWnd, rv, "UnlockPIN", kPukFailures))
        AfxMessageBox(L"PIN unlocked succesfully", MB_OK);
    ShowTokenDetails(token);
}

void CTokariumDlg::OnChangePUKCommand()
{
    CommandScope command(*this);
    TokenRecord* token = GetSelectedToken();
    if (!token)
        return;
    CDlgChangePIN dialog(false, this);
    if (dialog.DoModal() != IDOK || !EnsureSession(token))
        return;
    CK_RV rv;
    {
        CWaitCursor wait;
        if (token->loggedIn)
            LogOutToken(token);
        CNarrowSecret oldPuk(dialog.m_oldPin.c_str());
        CNarrowSecret newPuk(dialog.m_newPin.c_str());
        dialog.WipeSecrets();
        rv = m_cryptoki.ChangePIN(token->session, CKU_SO, oldPuk.c_str(), newPuk.c_str());
    }
    bool failed = ReportFailure(m_hWnd, rv, "ChangePUK", kPukFailures);
    m_cryptoki.Logout(token->session);
    if (!failed)
        AfxMessageBox(L"PUK changed succesfully", MB_OK);
    ShowTokenDetails(token);
}

void CTokariumDlg::OnChangeTokenNameCommand()
{
    CommandScope command(*this);
    TokenRecord* token = GetSelectedToken();
    if (!token)
        return;
    CDlgTokenName dialog(this);
    if (dialog.DoModal() != IDOK)
        return;
    std::string name = ToNarrow(dialog.m_name);
    CK_RV rv;
    {
        CWaitCursor wait;
        rv = m_cryptoki.InitToken(token->slotId, name.c_str());
    }
    if (rv != CKR_OK) {
        theLog.LogError(0, "InitToken", "Error: %x", static_cast<unsigned>(rv));
        ShowErrorBox(m_hWnd, L"InitToken Error");
        return;
    }
    std::string text = name + " [" + token->readerName + "]";
    m_tree.SetItemText(token->treeItem, ToWide(text).c_str());
    ShowTokenDetails(token);
}
