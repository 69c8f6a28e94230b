#pragma once
// The main window: the token tree, the details list below it, the column of
// command buttons and the logo, over the one CCryptoki.

#include "platform/framework/Framework.h"
#include "tokarium/app/TokenRecord.h"
#include "tokarium/token/Cryptoki.h"

#include <map>
#include <string>

// The number of the registered message that announces the end of an import.
extern UINT WM_QUORIN_MW_ACTIVITY_IMPORT_END;

// wParam: a tree item to scroll into view.
const UINT WM_SHOW_TREE_ITEM = WM_USER + 100;

class CTokariumDlg : public CDialog {
public:
    enum { REFRESH_TIMER = 1224, REFRESH_PERIOD = 1000 };
    enum { MIN_WIDTH = 620, MIN_HEIGHT = 540, MARGIN = 15, RIGHT_COLUMN = 185 };
    enum { IMAGE_ROOT = 0, IMAGE_NONE = 1, IMAGE_TOKEN = 2, IMAGE_FOLDER = 3,
           IMAGE_CA_CERTIFICATE = 4, IMAGE_USER_CERTIFICATE = 5, IMAGE_KEY_PAIR = 6 };

    explicit CTokariumDlg(CWnd* parent = nullptr);
    ~CTokariumDlg() override;

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

protected:
    HICON m_hIcon;
    CTreeCtrl m_tree;
    CListBox m_details;
    CStatic m_picture;
    CButton m_btnLogin;
    CButton m_btnRefresh;
    CButton m_btnImport;
    CButton m_btnExport;
    CButton m_btnResetDevice;
    CButton m_btnChangePIN;
    CButton m_btnUnlockPIN;
    CButton m_btnChangePUK;
    CButton m_btnChangeTokenName;
    CButton m_btnViewDetails;
    CButton m_btnRegisterCertificates;
    int m_autoRefresh;
    int m_doubleClickLogin;
    int m_doubleClickDetails;
    int m_autoUnpack;
    CCryptoki m_cryptoki;
    CImageList m_imageList;
    HTREEITEM m_rootItem;
    std::map<std::string, TokenRecord*> m_tokens;
    UINT_PTR m_timer;

    void ReadSettings();
    void AddAboutToSystemMenu();
    void CreateTreeImages();
    void SetDetailsTabStop(int widthInPixels);
    void DisableAllButtons();
    void BindModule();
    void ShowAboutBox();

    void OnSize(int cx, int cy);
    void OnGetMinMaxInfo(MINMAXINFO* info);
    // TRUE when it painted the minimised window.
    BOOL OnPaintMinimized();
    void OnClose();
    void FreeTokenRecords();
};
