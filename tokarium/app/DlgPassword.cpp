#include "tokarium/app/DlgPassword.h"

#include "tokarium/app/SecretText.h"
#include "tokarium/app/resource.h"

CDlgPassword::CDlgPassword(CWnd* parent) : CDialog(IDD_PASSWORD, parent) {}

CDlgPassword::~CDlgPassword() { WipeText(m_password); }

void CDlgPassword::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    HWND edit = GetDlgItem(IDC_PASSWORD);
    if (dx->m_bSaveAndValidate)
        ReadSecretText(edit, m_password);
    else
        ::SetWindowTextW(edit, m_password.c_str());
}
