#pragma once
// The main window: the token tree, the details list below it, the column of
// command buttons and the logo, over the one CCryptoki.

#include "platform/framework/Framework.h"
#include "tokarium/app/TokenRecord.h"
#include "tokarium/token/Cryptoki.h"
#include "tokarium/token/TokenLists.h"

#include <cstdint>
#include <map>
#include <string>

// The number of the registered message that announces the end of an import.
extern UINT WM_QUORIN_MW_ACTIVITY_IMPORT_END;

// The error box of tokarium's commands: caption "Error", the error icon, OK.
void ShowErrorBox(HWND owner, const wchar_t* text);

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
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // The token of the selected item (walking up to it), or null.
    TokenRecord* GetSelectedToken();
    // Frees the entries, their values and the list itself; accepts null.
    static void FreeCertificateList(CertificateList* list);
    void RefreshReaders();
    // Fills names (capacity count) with the readers that hold a card; count
    // becomes the number taken. 0 or the failing PC/SC code.
    long ScanReaders(char (*names)[260], int& count);
    void ListTokenObjects(TokenRecord* token);
    void ShowTokenDetails(TokenRecord* token);
    // 0, the failed login's result, or all ones when the prompt was cancelled.
    // A confirmation logs the session out before the login, as a session that
    // is logged in already would take any PIN.
    unsigned long PromptLogin(uint32_t session, bool confirmation = false);
    void LogoutAll();

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

    // Refresh paths.
    void AddTokens(char (*names)[260], int count);
    bool AddToken(const char* readerName);
    void RemoveOneToken(char (*names)[260], int count);
    void OnImportEnd();

    // Listing.
    void FillFolders(TokenRecord* token, HTREEITEM userFolder, HTREEITEM caFolder);
    void DeleteChildren(HTREEITEM item);

    // Details and command availability.
    void OnSelectionChanged();
    void ShowCertificateDetails(TokenRecord* token, DWORD_PTR index);
    void ShowKeyPairDetails(HTREEITEM keyPair);
    void AddDetailsLine(const std::string& line);
    void EnableForSelection(bool keyPair);
    int ItemImage(HTREEITEM item) const;
    TokenRecord* TokenOfItem(HTREEITEM item);

    // Login and logout.
    void OnLoginCommand();
    void OnRefreshCommand();
    LRESULT OnTreeDoubleClick();
    bool EnsureSession(TokenRecord* token);
    // Whether the token is still shown (a command may outlive its card).
    bool IsTokenShown(const TokenRecord* token) const;

    // Certificate commands (CertificateCommands.cpp): Export, View Details
    // (also the certificate double click) and Delete / Delete Folder / Reset Device.
    void OnExportCommand();
    void OnViewDetails();
    void OnDeleteCommand();
    void DeleteCertificateItem(HTREEITEM item);
    void DeleteFolderItem(HTREEITEM folder);
    void ResetDeviceItem(HTREEITEM tokenItem);
    // Asks the PIN again; false (logged with the tag) when cancelled or refused.
    bool ConfirmPin(TokenRecord* token, const char* tag);
    // The entry, with its value, that a certificate item addresses; else null.
    const CertificateEntry* EntryOfItem(HTREEITEM item);
    // end of the certificate commands

    // Import command (ImportCommand.cpp).
    void OnImportCommand();
    // The chosen file's octets onto the token, by the course its name asks for.
    void ImportFile(TokenRecord* token, const std::wstring& path);
    void ImportCertificateFile(TokenRecord* token, const CByteArray& file);
    void ImportPKCS12File(TokenRecord* token, const CByteArray& file);
    // end of the import command

    // PIN and token-name commands (PinCommands.cpp).
    void OnChangePINCommand();
    void OnUnlockPINCommand();
    void OnChangePUKCommand();
    void OnChangeTokenNameCommand();
    // Logs the token's session out and shows it logged out: no items under
    // its branch, no certificate list, caption "Login" (details left to the caller).
    void LogOutToken(TokenRecord* token);
    // end of the PIN and token-name commands

    // Settings, registration and the advanced buttons (OptionsCommands.cpp).
    void OnSettingsCommand();
    void OnRegisterCertificatesCommand();
    BOOL PreTranslateMessage(MSG* message) override;
    // An import end that came while a command ran: the first tick after the
    // command lists the logged-in tokens.
    bool m_importEndPending = false;
    // end of the settings commands

    // A command that may wait in a modal dialog holds this; the refresh skips
    // its ticks meanwhile, so no record the command holds is freed under it.
    class CommandScope {
    public:
        explicit CommandScope(CTokariumDlg& dialog) : m_dialog(dialog) { ++m_dialog.m_runningCommands; }
        ~CommandScope() { --m_dialog.m_runningCommands; }
    private:
        CTokariumDlg& m_dialog;
    };
    int m_runningCommands;
};
