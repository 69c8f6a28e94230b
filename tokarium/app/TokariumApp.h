#pragma once
// The application object: sets up the settings location and the activity log,
// then runs the main window as a modal dialog; the process ends with it.

#include "platform/framework/WinApp.h"

class CTokariumApp : public CWinApp {
public:
    CTokariumApp();
    BOOL InitInstance() override;
};
