#include "tokarium/app/DlgUnlockPIN.h"

#include "tokarium/app/DlgChangePIN.h"
#include "tokarium/app/SecretText.h"
#include "tokarium/app/resource.h"

CDlgUnlockPIN::CDlgUnlockPIN(CWnd* parent) : CDialog(IDD_UNLOCK_PIN, parent) {}

CDlgUnlockPIN::~CDlgUnlockPIN() { WipeSecrets(); }

void CDlgUnlockPIN::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_SecretText(dx, IDC_PUK, m_puk);
    DDX_SecretText(dx, IDC_NEW_PIN, m_newPin);
    DDX_SecretText(dx, IDC_CONFIRM_PIN, m_confirmPin);
}

void CDlgUnlockPIN::OnOK()
{
    if (UpdateData(TRUE) && NewPinConfirmed(m_newPin, m_confirmPin))
        EndDialog(IDOK);
}

void CDlgUnlockPIN::WipeSecrets()
{
    WipeText(m_puk);
    WipeText(m_newPin);
    WipeText(m_confirmPin);
}
