// The certificate commands: Export, View Details and Delete (a certificate,
// a folder or the whole device).
#include "tokarium/app/TokariumDlg.h"

void CTokariumDlg::OnExportCommand() {}

void CTokariumDlg::OnViewDetails() {}

void CTokariumDlg::OnDeleteCommand() {}
