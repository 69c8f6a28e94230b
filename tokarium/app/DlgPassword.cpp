#include "tokarium/app/DlgPassword.h"

#include "tokarium/app/SecretText.h"
#include "tokarium/app/resource.h"

CDlgPassword::CDlgPassword(CWnd* parent) : CDialog(IDD_PASSWORD, parent) {}

CDlgPassword::~CDlgPassword() { WipeText(m_password); }

void CDlgPassword::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_SecretText(dx, IDC_PASSWORD, m_password);
}
