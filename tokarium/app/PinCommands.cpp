// Change PIN, Unlock PIN, Change PUK and Change Token Name.
#include "tokarium/app/TokariumDlg.h"

void CTokariumDlg::OnChangePINCommand() {}

void CTokariumDlg::OnUnlockPINCommand() {}

void CTokariumDlg::OnChangePUKCommand() {}

void CTokariumDlg::OnChangeTokenNameCommand() {}
