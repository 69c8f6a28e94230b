// The PIN prompt, the Login/Logout command, the tree's double click and the
// logout of every token.
#include "tokarium/app/TokariumDlg.h"

#include "tokarium/app/ActivityLog.h"
#include "tokarium/app/DlgPIN.h"
#include "tokarium/app/SecretText.h"
#include "tokarium/app/WaitCursor.h"

namespace {

const unsigned long kCancelled = 0xFFFFFFFFul;

}  // namespace

unsigned long CTokariumDlg::PromptLogin(uint32_t session, bool confirmation)
{
    CDlgPIN prompt(this);
    if (prompt.DoModal() != IDOK)
        return kCancelled;
    if (confirmation)
        m_cryptoki.Logout(session);
    CK_RV rv;
    {
        CNarrowSecret pin(prompt.m_pin.c_str());
        WipeText(prompt.m_pin);
        rv = m_cryptoki.Login(session, pin.c_str());
    }
    if (rv == 0) {
        m_btnLogin.SetWindowTextW(L"Logout");
        return 0;
    }
    theLog.LogError(0, "Login", "Error: %x", static_cast<unsigned>(rv));
    const wchar_t* message = L"Login Error";
    if (rv == CKR_PIN_INCORRECT || rv == CKR_PIN_INVALID)
        message = L"Invalid PIN";
    else if (rv == CKR_PIN_LOCKED)
        message = L"PIN Locked";
    ShowErrorBox(m_hWnd, message);
    return static_cast<unsigned long>(rv);
}

bool CTokariumDlg::EnsureSession(TokenRecord* token)
{
    if (token->session != 0)
        return true;
    CK_SESSION_HANDLE session = 0;
    CK_RV rv = m_cryptoki.OpenSession(token->slotId, session);
    if (rv != 0) {
        theLog.LogError(0, "OpenSession.", "Error: %x", static_cast<unsigned>(rv));
        return false;
    }
    token->session = static_cast<uint32_t>(session);
    return true;
}

void CTokariumDlg::OnLoginCommand()
{
    CommandScope command(*this);
    TokenRecord* token = GetSelectedToken();
    if (!token || !EnsureSession(token))
        return;
    if (token->loggedIn) {
        LogOutToken(token);
        ShowTokenDetails(token);
        return;
    }
    CWaitCursor wait;
    unsigned long result = PromptLogin(token->session);
    if (result != 0) {
        theLog.LogError(0, "Login.", "Error: %x", static_cast<unsigned>(result));
        ShowTokenDetails(token);
        return;
    }
    token->loggedIn = true;
    m_btnLogin.SetWindowTextW(L"Logout");
    ListTokenObjects(token);
    ShowTokenDetails(token);
    m_tree.Expand(token->treeItem, TVE_EXPAND);
}

LRESULT CTokariumDlg::OnTreeDoubleClick()
{
    HTREEITEM item = m_tree.GetSelectedItem();
    if (!item)
        return 0;
    switch (ItemImage(item)) {
    case IMAGE_ROOT:
        return -1;
    case IMAGE_TOKEN: {
        if (m_tree.ItemHasChildren(item) || m_doubleClickLogin == 0)
            return 0;
        CommandScope command(*this);
        TokenRecord* token = reinterpret_cast<TokenRecord*>(m_tree.GetItemData(item));
        if (!EnsureSession(token))
            return 0;
        if (!token->loggedIn) {
            unsigned long result = PromptLogin(token->session);
            if (result != 0) {
                theLog.LogError(0, "Login.", "Error: %x", static_cast<unsigned>(result));
                ShowTokenDetails(token);
                return 0;
            }
            token->loggedIn = true;
            ShowTokenDetails(token);
        }
        CWaitCursor wait;
        ListTokenObjects(token);
        return 0;
    }
    case IMAGE_CA_CERTIFICATE:
    case IMAGE_USER_CERTIFICATE:
        if (m_doubleClickDetails != 0)
            OnViewDetails();
        return 0;
    default:
        return 0;
    }
}

void CTokariumDlg::LogoutAll()
{
    for (auto& entry : m_tokens) {
        TokenRecord* token = entry.second;
        m_cryptoki.Logout(token->session);
        token->loggedIn = false;
        m_cryptoki.CloseSession(token->session);
        token->session = 0;
        FreeCertificateList(token->certificates);
        token->certificates = nullptr;
        DeleteChildren(token->treeItem);
        ShowTokenDetails(token);
    }
    m_btnLogin.SetWindowTextW(L"Login");
}

void CTokariumDlg::OnRefreshCommand()
{
    CWaitCursor wait;
    TokenRecord* token = GetSelectedToken();
    if (!token)
        return;
    ListTokenObjects(token);
    ShowTokenDetails(token);
}
