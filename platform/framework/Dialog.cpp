#include "platform/framework/Dialog.h"

#include "platform/framework/WinApp.h"

void DDX_Text(CDataExchange* dx, int id, std::wstring& value)
{
    if (dx->m_bSaveAndValidate)
        value = dx->m_pDlgWnd->GetDlgItemTextW(id);
    else
        dx->m_pDlgWnd->SetDlgItemTextW(id, value.c_str());
}

void DDX_Text(CDataExchange* dx, int id, std::string& value)
{
    if (dx->m_bSaveAndValidate)
        value = dx->m_pDlgWnd->GetDlgItemTextA(id);
    else
        dx->m_pDlgWnd->SetDlgItemTextA(id, value.c_str());
}

void DDX_Check(CDataExchange* dx, int id, int& value)
{
    HWND item = dx->m_pDlgWnd->GetDlgItem(id);
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(SendMessageW(item, BM_GETCHECK, 0, 0));
    else
        SendMessageW(item, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_CBIndex(CDataExchange* dx, int id, int& value)
{
    HWND item = dx->m_pDlgWnd->GetDlgItem(id);
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(SendMessageW(item, CB_GETCURSEL, 0, 0));
    else
        SendMessageW(item, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control)
{
    HWND item = dx->m_pDlgWnd->GetDlgItem(id);
    if (control.m_hWnd == item)
        return;
    control.Detach();
    control.Attach(item);
}

CDialog::CDialog(UINT templateId, CWnd* parent)
    : m_nIDHelp(templateId), m_pParentWnd(parent), m_modal(false), m_inModalLoop(false),
      m_modalResult(-1)
{
}

CDialog::~CDialog()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    CDialog* dialog = reinterpret_cast<CDialog*>(lParam);
    if (!dialog)
        return TRUE;
    // From here on every message of the dialog goes through WindowProc; the
    // dialog manager's own processing is the default.
    dialog->SubclassWindowForFramework(window);
    return dialog->OnInitDialog();
}

HWND CDialog::FindOwner() const
{
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (!owner) {
        CWnd* main = AfxGetMainWnd();
        if (main && main != this)
            owner = main->m_hWnd;
    }
    if (owner)
        owner = GetAncestor(owner, GA_ROOT);
    return owner;
}

INT_PTR CDialog::DoModal()
{
    if (m_hWnd)
        return -1;
    HWND owner = FindOwner();
    bool ownerDisabled = false;
    if (owner && ::IsWindowEnabled(owner)) {
        ::EnableWindow(owner, FALSE);
        ownerDisabled = true;
    }
    m_modal = true;
    m_inModalLoop = true;
    m_modalResult = -1;
    HWND window = CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDHelp), owner,
                                     DialogProc, reinterpret_cast<LPARAM>(this));
    if (window) {
        RunModalLoop();
        ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    } else {
        m_inModalLoop = false;
    }
    if (ownerDisabled) {
        ::EnableWindow(owner, TRUE);
        ::SetActiveWindow(owner);
    }
    if (window && ::IsWindow(window))
        ::DestroyWindow(window);
    m_modal = false;
    return m_modalResult;
}

void CDialog::RunModalLoop()
{
    if (m_inModalLoop && m_hWnd && !::IsWindowVisible(m_hWnd))
        ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
    MSG message;
    while (m_inModalLoop) {
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1)
            break;
        if (got == 0) {
            // Leave the quit for the loop that owns the thread.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        bool translated = false;
        for (HWND window = message.hwnd; window && !translated;) {
            CWnd* object = CWnd::FromHandlePermanent(window);
            translated = object && object->PreTranslateMessage(&message);
            if (!(GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD))
                break;
            window = ::GetParent(window);
        }
        if (!translated) {
            TranslateMessage(&message);
            DispatchMessageToWindow(message);
        }
    }
}

BOOL CDialog::Create(UINT templateId, HWND parent)
{
    if (m_hWnd)
        return FALSE;
    m_nIDHelp = templateId;
    m_modal = false;
    HWND window = CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(templateId), parent,
                                     DialogProc, reinterpret_cast<LPARAM>(this));
    return window != nullptr;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    if (!m_hWnd)
        return FALSE;
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::EndDialog(int result)
{
    m_modalResult = result;
    if (m_modal) {
        m_inModalLoop = false;
        if (m_hWnd)
            PostMessageW(WM_NULL);
    } else if (m_hWnd) {
        DestroyWindow();
    }
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM)
{
    switch (LOWORD(wParam)) {
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        OnCancel();
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CDialog::PreTranslateMessage(MSG* message)
{
    return m_hWnd && IsDialogMessageW(m_hWnd, message);
}
