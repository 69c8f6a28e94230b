#include "tokarium/app/DlgSettings.h"

#include "tokarium/app/resource.h"

CDlgSettings::CDlgSettings(CWnd* parent)
    : CDialog(IDD_SETTINGS, parent), m_autoRefresh(1), m_doubleClickLogin(1), m_doubleClickDetails(1),
      m_autoUnpack(1), m_showAdvanced(0)
{
}

BOOL CDlgSettings::OnInitDialog() { return CDialog::OnInitDialog(); }

void CDlgSettings::DoDataExchange(CDataExchange* dx) { CDialog::DoDataExchange(dx); }
