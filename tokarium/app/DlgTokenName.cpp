#include "tokarium/app/DlgTokenName.h"

#include "tokarium/app/resource.h"

CDlgTokenName::CDlgTokenName(CWnd* parent) : CDialog(IDD_TOKEN_NAME, parent) {}

void CDlgTokenName::DoDataExchange(CDataExchange* dx) { CDialog::DoDataExchange(dx); }
