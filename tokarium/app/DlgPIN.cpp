#include "tokarium/app/DlgPIN.h"

#include "tokarium/app/SecretText.h"
#include "tokarium/app/resource.h"

CDlgPIN::CDlgPIN(CWnd* parent) : CDialog(IDD_PIN, parent) {}

CDlgPIN::~CDlgPIN() { WipeText(m_pin); }

void CDlgPIN::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_SecretText(dx, IDC_PIN, m_pin);
}
