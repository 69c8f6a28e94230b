#pragma once
// The settings dialog (dialog 144).

#include "platform/framework/Framework.h"

class CDlgSettings : public CDialog {
public:
    explicit CDlgSettings(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;

    int m_autoRefresh;
    int m_doubleClickLogin;
    int m_doubleClickDetails;
    int m_autoUnpack;
    CStatic m_keyGenerationGroup;
    CStatic m_keyGenerationLabel;
    CComboBox m_keyGenerator;
    int m_showAdvanced;
};
