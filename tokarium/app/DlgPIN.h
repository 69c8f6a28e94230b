#pragma once
// The PIN prompt (dialog 139): one hidden edit box, OK and Cancel.

#include "platform/framework/Dialog.h"

#include <string>

class CDlgPIN : public CDialog {
public:
    explicit CDlgPIN(CWnd* parent = nullptr);
    ~CDlgPIN() override;

    void DoDataExchange(CDataExchange* dx) override;

    // The PIN typed, set by OK; wiped when the dialog object goes.
    std::wstring m_pin;
};
