#pragma once
// Change PIN (dialog 141), also used for the PUK.

#include "platform/framework/Dialog.h"

#include <string>

class CDlgChangePIN : public CDialog {
public:
    // isPin false: the PUK mode.
    explicit CDlgChangePIN(bool isPin, CWnd* parent = nullptr);
    ~CDlgChangePIN() override;

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    // Closes only when the new text and its confirmation are equal.
    void OnOK() override;
    // Overwrites and empties the three texts.
    void WipeSecrets();

    std::wstring m_newPin;
    std::wstring m_confirmPin;
    std::wstring m_oldPin;
    bool m_isPin;
};

// OK of the PIN dialogs: true when the new text and its confirmation are
// equal; otherwise the user is told and false.
bool NewPinConfirmed(const std::wstring& newPin, const std::wstring& confirmPin);
