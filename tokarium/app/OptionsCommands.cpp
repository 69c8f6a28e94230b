// The Options menu's Settings, Register Certificates, and the keys that show
// and hide the Unlock PIN and Change PUK buttons.
#include "tokarium/app/TokariumDlg.h"

void CTokariumDlg::OnSettingsCommand() {}

void CTokariumDlg::OnRegisterCertificatesCommand() {}

BOOL CTokariumDlg::PreTranslateMessage(MSG* message) { return CDialog::PreTranslateMessage(message); }
