// The Options menu's Settings, Register Certificates, and the keys that show
// and hide the Unlock PIN and Change PUK buttons.
#include "tokarium/app/TokariumDlg.h"

#include "tokarium/app/DlgSettings.h"

#include <cstdio>

namespace {

const int kPathSize = 260;
const wchar_t kRegistrationTriggered[] =
    L"Certificate Registration has been triggered.Certificates will be imported in Windows Personal store";

bool IsCtrlDown() { return (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0; }

}  // namespace

void CTokariumDlg::OnSettingsCommand()
{
    CDlgSettings settings(this);
    if (settings.DoModal() == IDOK)
        ReadSettings();
}

void CTokariumDlg::OnRegisterCertificatesCommand()
{
    char systemDirectory[kPathSize] = "";
    char commandLine[kPathSize] = "";
    UINT length = GetSystemDirectoryA(systemDirectory, kPathSize);
    int written = std::snprintf(commandLine, sizeof commandLine, "rundll32.exe %s\\korvane.dll,RunImportSequence",
                                systemDirectory);
    // A command line cut short would name another file: such a one is not started.
    if (length > 0 && length < static_cast<UINT>(kPathSize) && written > 0 && written < kPathSize)
        WinExec(commandLine, SW_HIDE);
    CWinApp* app = AfxGetApp();
    MessageBoxW(kRegistrationTriggered, app ? app->m_pszAppName : nullptr, MB_OK);
}

BOOL CTokariumDlg::PreTranslateMessage(MSG* message)
{
    if (message->message == WM_KEYUP) {
        if (message->wParam == 'A' && IsCtrlDown()) {
            m_btnUnlockPIN.ShowWindow(SW_SHOW);
            m_btnChangePUK.ShowWindow(SW_SHOW);
        } else if (message->wParam == 'Q' && IsCtrlDown()) {
            m_btnUnlockPIN.ShowWindow(SW_HIDE);
            m_btnChangePUK.ShowWindow(SW_HIDE);
        }
    }
    return CDialog::PreTranslateMessage(message);
}
