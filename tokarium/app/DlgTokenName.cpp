#include "tokarium/app/DlgTokenName.h"

#include "tokarium/app/resource.h"

CDlgTokenName::CDlgTokenName(CWnd* parent) : CDialog(IDD_TOKEN_NAME, parent) {}

void CDlgTokenName::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_TOKEN_NAME, m_name);
}
