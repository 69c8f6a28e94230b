#include "tokarium/app/TokariumApp.h"

#include "tokarium/app/ActivityLog.h"
#include "tokarium/app/Settings.h"
#include "tokarium/app/TokariumDlg.h"

#include <commctrl.h>

#include <cstdlib>

CTokariumApp theApp;

CTokariumApp::CTokariumApp() : CWinApp(nullptr) {}

BOOL CTokariumApp::InitInstance()
{
    CWinApp::InitInstance();
    InitCommonControls();

    SetRegistryKey(kRegistryKey);

    char logPath[CActivityLog::PATH_SIZE];
    if (MakeLogPath(getenv("appdata"), logPath, sizeof logPath))
        theLog.SetPath(logPath);
    theLog.SetLevel(4);

    WM_QUORIN_MW_ACTIVITY_IMPORT_END = RegisterWindowMessageW(L"WM_QUORIN_MW_ACTIVITY_IMPORT_END");

    {
        CTokariumDlg dialog;
        m_pMainWnd = &dialog;
        dialog.DoModal();
        m_pMainWnd = nullptr;
    }
    return FALSE;
}
