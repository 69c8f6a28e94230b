#pragma once
// The About box.

#include "platform/framework/Dialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
};
