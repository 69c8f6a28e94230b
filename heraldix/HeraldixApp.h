// The application object of heraldix: start-up leaves a hidden notification
// window and the tray icon; the framework's message loop does the rest.
#pragma once
#include "platform/framework/WinApp.h"

class CSystemTray;

class CHeraldixApp : public CWinApp {
public:
    CHeraldixApp();
    BOOL InitInstance() override;

    CSystemTray* m_systemTray;
};
