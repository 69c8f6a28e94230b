#include "tokarium/app/DlgChangePIN.h"

#include "tokarium/app/SecretText.h"
#include "tokarium/app/resource.h"

CDlgChangePIN::CDlgChangePIN(bool isPin, CWnd* parent) : CDialog(IDD_CHANGE_PIN, parent), m_isPin(isPin) {}

CDlgChangePIN::~CDlgChangePIN()
{
    WipeText(m_newPin);
    WipeText(m_confirmPin);
    WipeText(m_oldPin);
}

void CDlgChangePIN::DoDataExchange(CDataExchange* dx) { CDialog::DoDataExchange(dx); }
