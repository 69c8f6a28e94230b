#pragma once
// Unlock PIN (dialog 142): the PUK and the new PIN twice.

#include "platform/framework/Dialog.h"

#include <string>

class CDlgUnlockPIN : public CDialog {
public:
    explicit CDlgUnlockPIN(CWnd* parent = nullptr);
    ~CDlgUnlockPIN() override;

    void DoDataExchange(CDataExchange* dx) override;
    // Closes only when the new PIN and its confirmation are equal.
    void OnOK() override;
    // Overwrites and empties the three texts.
    void WipeSecrets();

    std::wstring m_puk;
    std::wstring m_newPin;
    std::wstring m_confirmPin;
};
