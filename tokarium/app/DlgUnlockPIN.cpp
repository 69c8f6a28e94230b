#include "tokarium/app/DlgUnlockPIN.h"

#include "tokarium/app/SecretText.h"
#include "tokarium/app/resource.h"

CDlgUnlockPIN::CDlgUnlockPIN(CWnd* parent) : CDialog(IDD_UNLOCK_PIN, parent) {}

CDlgUnlockPIN::~CDlgUnlockPIN()
{
    WipeText(m_puk);
    WipeText(m_newPin);
    WipeText(m_confirmPin);
}

void CDlgUnlockPIN::DoDataExchange(CDataExchange* dx) { CDialog::DoDataExchange(dx); }
