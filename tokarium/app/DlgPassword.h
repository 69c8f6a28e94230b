#pragma once
// The PKCS#12 password prompt (dialog 140): one hidden edit box, OK and Cancel.

#include "platform/framework/Dialog.h"

#include <string>

class CDlgPassword : public CDialog {
public:
    explicit CDlgPassword(CWnd* parent = nullptr);
    ~CDlgPassword() override;

    void DoDataExchange(CDataExchange* dx) override;

    // The password typed, set by OK; wiped when the dialog object goes.
    std::wstring m_password;
};
