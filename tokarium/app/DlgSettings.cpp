#include "tokarium/app/DlgSettings.h"

#include "tokarium/app/Settings.h"
#include "tokarium/app/resource.h"

namespace {

// The key-generation modes, in the order of their stored index.
const wchar_t* const kKeyGeneratorModes[] = {L"FAST", L"NORMAL"};

}  // namespace

CDlgSettings::CDlgSettings(CWnd* parent)
    : CDialog(IDD_SETTINGS, parent), m_autoRefresh(1), m_doubleClickLogin(1), m_doubleClickDetails(1),
      m_autoUnpack(1), m_showAdvanced(0)
{
}

BOOL CDlgSettings::OnInitDialog()
{
    ReadSwitches(m_autoRefresh, m_doubleClickLogin, m_doubleClickDetails, m_autoUnpack);
    CWinApp* app = AfxGetApp();
    int keyGenerator = app ? static_cast<int>(app->GetProfileIntW(kSettingsSection, kKeyGenerator, 0)) : 0;
    m_showAdvanced = 0;
    // The combo box's items, as the template's initialisation data would give them.
    for (const wchar_t* mode : kKeyGeneratorModes)
        ::SendDlgItemMessageW(m_hWnd, IDC_KEY_GENERATOR, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mode));
    CDialog::OnInitDialog();
    m_keyGenerator.SetCurSel(keyGenerator);
    ShowAdvancedControls(false);
    return TRUE;
}

void CDlgSettings::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Check(dx, IDC_AUTO_REFRESH, m_autoRefresh);
    DDX_Check(dx, IDC_DOUBLE_CLICK_LOGIN, m_doubleClickLogin);
    DDX_Check(dx, IDC_DOUBLE_CLICK_DETAILS, m_doubleClickDetails);
    DDX_Check(dx, IDC_AUTO_UNPACK, m_autoUnpack);
    DDX_Control(dx, IDC_KEY_GENERATION_GROUP, m_keyGenerationGroup);
    DDX_Control(dx, IDC_KEY_GENERATION_LABEL, m_keyGenerationLabel);
    DDX_Control(dx, IDC_KEY_GENERATOR, m_keyGenerator);
    DDX_Check(dx, IDC_SHOW_ADVANCED, m_showAdvanced);
}

void CDlgSettings::ShowAdvancedControls(bool show)
{
    int command = show ? SW_SHOW : SW_HIDE;
    m_keyGenerator.ShowWindow(command);
    m_keyGenerationLabel.ShowWindow(command);
    m_keyGenerationGroup.ShowWindow(command);
}

BOOL CDlgSettings::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == IDC_SHOW_ADVANCED && HIWORD(wParam) == BN_CLICKED) {
        UpdateData(TRUE);
        ShowAdvancedControls(m_showAdvanced != 0);
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CDlgSettings::OnOK()
{
    UpdateData(TRUE);
    if (CWinApp* app = AfxGetApp()) {
        app->WriteProfileInt(kSettingsSection, kAutoRefresh, m_autoRefresh);
        app->WriteProfileInt(kSettingsSection, kDoubleClickLogin, m_doubleClickLogin);
        app->WriteProfileInt(kSettingsSection, kDoubleClickDetails, m_doubleClickDetails);
        app->WriteProfileInt(kSettingsSection, kAutoUnpack, m_autoUnpack);
        app->WriteProfileInt(kSettingsSection, kKeyGenerator, m_keyGenerator.GetCurSel());
    }
    EndDialog(IDOK);
}
