#pragma once
// CDialog: a dialog from a template in the program's resources.
//
// DoModal creates the dialog, disables its owner and runs a modal loop of its
// own, which gives PreTranslateMessage every message before IsDialogMessage.
// Every message of the dialog reaches WindowProc; OnInitDialog runs for
// WM_INITDIALOG. IDOK and IDCANCEL go to OnOK and OnCancel.
// Create makes the same dialog modeless (for tests and embedded use).

#include "platform/framework/Wnd.h"

#include <string>

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}

    CWnd* m_pDlgWnd;
    // TRUE: controls to variables; FALSE: variables to controls.
    BOOL m_bSaveAndValidate;
};

// Control text exchange.
void DDX_Text(CDataExchange* dx, int id, std::wstring& value);
void DDX_Text(CDataExchange* dx, int id, std::string& value);
// A check box as 0 (clear), 1 (checked) or 2 (indeterminate).
void DDX_Check(CDataExchange* dx, int id, int& value);
// A combo box's selection index (-1: none).
void DDX_CBIndex(CDataExchange* dx, int id, int& value);
// Binds a control wrapper to the dialog's control (once).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // The value passed to EndDialog, or -1 when the dialog could not be created.
    virtual INT_PTR DoModal();
    // A modeless dialog; destroy it with DestroyWindow.
    BOOL Create(UINT templateId, HWND parent = nullptr);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* dx);
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    // Ends the modal loop with the result (a modeless dialog is destroyed).
    void EndDialog(int result);

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL PreTranslateMessage(MSG* message) override;

    UINT m_nIDHelp;  // the template id
    CWnd* m_pParentWnd;

protected:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    HWND FindOwner() const;
    void RunModalLoop();

    bool m_modal;
    bool m_inModalLoop;
    INT_PTR m_modalResult;
};
