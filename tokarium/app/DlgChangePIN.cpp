#include "tokarium/app/DlgChangePIN.h"

#include "platform/framework/WinApp.h"
#include "tokarium/app/SecretText.h"
#include "tokarium/app/resource.h"

CDlgChangePIN::CDlgChangePIN(bool isPin, CWnd* parent) : CDialog(IDD_CHANGE_PIN, parent), m_isPin(isPin) {}

CDlgChangePIN::~CDlgChangePIN() { WipeSecrets(); }

BOOL CDlgChangePIN::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (!m_isPin) {
        SetWindowTextW(L"Change PUK");
        SetDlgItemTextW(IDC_OLD_PIN_LABEL, L"PUK");
        SetDlgItemTextW(IDC_NEW_PIN_LABEL, L"New PUK");
    }
    return TRUE;
}

void CDlgChangePIN::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_SecretText(dx, IDC_NEW_PIN, m_newPin);
    DDX_SecretText(dx, IDC_CONFIRM_PIN, m_confirmPin);
    DDX_SecretText(dx, IDC_OLD_PIN, m_oldPin);
}

bool NewPinConfirmed(const std::wstring& newPin, const std::wstring& confirmPin)
{
    if (newPin == confirmPin)
        return true;
    AfxMessageBox(L"PINs don't match", MB_OK);
    return false;
}

void CDlgChangePIN::OnOK()
{
    if (UpdateData(TRUE) && NewPinConfirmed(m_newPin, m_confirmPin))
        EndDialog(IDOK);
}

void CDlgChangePIN::WipeSecrets()
{
    WipeText(m_newPin);
    WipeText(m_confirmPin);
    WipeText(m_oldPin);
}
