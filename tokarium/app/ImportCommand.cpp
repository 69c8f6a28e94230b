// The Import command: a certificate file or a PKCS#12 container onto the
// selected token.
#include "tokarium/app/TokariumDlg.h"

void CTokariumDlg::OnImportCommand() {}
