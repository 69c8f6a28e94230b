#pragma once
// Set Token Name (dialog 143).

#include "platform/framework/Dialog.h"

#include <string>

class CDlgTokenName : public CDialog {
public:
    explicit CDlgTokenName(CWnd* parent = nullptr);

    void DoDataExchange(CDataExchange* dx) override;

    std::wstring m_name;
};
