#include "heraldix/HeraldixApp.h"

#include "heraldix/LocalizedString.h"
#include "heraldix/Notifications.h"
#include "heraldix/Startup.h"
#include "heraldix/SystemTray.h"
#include "heraldix/resource.h"

CHeraldixApp::CHeraldixApp() : m_systemTray(nullptr) {}

BOOL CHeraldixApp::InitInstance()
{
    bool alreadyRunning = false;
    HANDLE instanceMutex = CreateInstanceMutex(alreadyRunning);
    if (alreadyRunning)
        ExitProcess(0);
    if (instanceMutex)
        ApplyLowIntegrityLabel(instanceMutex);
    ChangeWindowMessageFilterExFunction changeFilter = FindMessageFilterFunction();
    InitCommonControlsForHeraldix();

    CWinApp::InitInstance();
    g_resourceModule = AfxGetResourceHandle();
    SetRegistryKey("quorin notify");
    LoadTrayIcons(m_hInstance, g_resourceModule);

    HWND notificationWindow = CreateNotificationWindow(RegisterNotificationClass());
    OpenActivityMessageFilters(notificationWindow, changeFilter);

    // The window keeps NotificationWndProc: the framework object only wraps it.
    CWnd* mainWindow = new CWnd;
    m_pMainWnd = mainWindow;
    mainWindow->Attach(notificationWindow);

    m_systemTray = new CSystemTray(notificationWindow, LoadLocalizedString(IDS_TITLE).c_str(), g_idleIcon);
    g_systemTray = m_systemTray;
    return TRUE;
}
