#pragma once
// Unlock PIN (dialog 142): the PUK and the new PIN twice.

#include "platform/framework/Dialog.h"

#include <string>

class CDlgUnlockPIN : public CDialog {
public:
    explicit CDlgUnlockPIN(CWnd* parent = nullptr);
    ~CDlgUnlockPIN() override;

    void DoDataExchange(CDataExchange* dx) override;

    std::wstring m_puk;
    std::wstring m_newPin;
    std::wstring m_confirmPin;
};
