#include "tokarium/app/TokariumDlg.h"

#include "tokarium/app/AboutDlg.h"
#include "tokarium/app/ActivityLog.h"
#include "tokarium/app/Settings.h"
#include "tokarium/app/resource.h"

UINT WM_QUORIN_MW_ACTIVITY_IMPORT_END = 0;

void ShowErrorBox(HWND owner, const wchar_t* text) { ::MessageBoxW(owner, text, L"Error", MB_OK | MB_ICONERROR); }

namespace {

// The tree images in index order.
const UINT kTreeIcons[] = {IDI_ROOT, IDI_NO_ITEM, IDI_TOKEN, IDI_FOLDER,
                           IDI_CA_CERTIFICATE, IDI_USER_CERTIFICATE, IDI_KEY_PAIR};

const char kModuleFileName[] = "nimbrel.dll";
const char kModuleMissing[] = "Quorin Middlware not found";

}  // namespace

CTokariumDlg::CTokariumDlg(CWnd* parent)
    : CDialog(IDD_TOKARIUM_DIALOG, parent), m_hIcon(nullptr), m_autoRefresh(1), m_doubleClickLogin(1),
      m_doubleClickDetails(1), m_autoUnpack(1), m_rootItem(nullptr), m_timer(0),
      m_runningCommands(0)
{
    if (CWinApp* app = AfxGetApp())
        m_hIcon = app->LoadIconW(IDR_MAINFRAME);
    ReadSettings();
}

CTokariumDlg::~CTokariumDlg() { FreeTokenRecords(); }

void CTokariumDlg::ReadSettings()
{
    ReadSwitches(m_autoRefresh, m_doubleClickLogin, m_doubleClickDetails, m_autoUnpack);
}

void CTokariumDlg::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_TREE, m_tree);
    DDX_Control(dx, IDC_DETAILS, m_details);
    DDX_Control(dx, IDC_LOGO, m_picture);
    DDX_Control(dx, IDC_LOGIN, m_btnLogin);
    DDX_Control(dx, IDC_REFRESH, m_btnRefresh);
    DDX_Control(dx, IDC_IMPORT, m_btnImport);
    DDX_Control(dx, IDC_EXPORT, m_btnExport);
    DDX_Control(dx, IDC_RESET_DEVICE, m_btnResetDevice);
    DDX_Control(dx, IDC_CHANGE_PIN, m_btnChangePIN);
    DDX_Control(dx, IDC_UNLOCK_PIN, m_btnUnlockPIN);
    DDX_Control(dx, IDC_CHANGE_PUK, m_btnChangePUK);
    DDX_Control(dx, IDC_CHANGE_TOKEN_NAME, m_btnChangeTokenName);
    DDX_Control(dx, IDC_VIEW_DETAILS, m_btnViewDetails);
    DDX_Control(dx, IDC_REGISTER_CERTIFICATES, m_btnRegisterCertificates);
}

BOOL CTokariumDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    AddAboutToSystemMenu();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    CreateTreeImages();
    m_tree.SetImageList(&m_imageList, TVSIL_NORMAL);

    m_rootItem = m_tree.InsertItem(L"Tokens", IMAGE_ROOT, IMAGE_ROOT, TVI_ROOT, TVI_LAST);
    m_tree.SetItemData(m_rootItem, 0);

    RECT listClient;
    m_details.GetClientRect(&listClient);
    SetDetailsTabStop(listClient.right - listClient.left);

    DisableAllButtons();
    m_btnUnlockPIN.ShowWindow(SW_HIDE);
    m_btnChangePUK.ShowWindow(SW_HIDE);

    BindModule();
    return TRUE;
}

void CTokariumDlg::AddAboutToSystemMenu()
{
    wchar_t text[256] = L"";
    if (LoadStringW(AfxGetResourceHandle(), IDS_ABOUTBOX, text, 256) <= 0 || text[0] == L'\0')
        return;
    HMENU systemMenu = GetSystemMenu(FALSE);
    if (!systemMenu)
        return;
    AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, text);
}

void CTokariumDlg::CreateTreeImages()
{
    m_imageList.Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
    for (UINT id : kTreeIcons) {
        HICON icon = static_cast<HICON>(
            LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
        m_imageList.Add(icon);
        if (icon)
            DestroyIcon(icon);
    }
}

void CTokariumDlg::SetDetailsTabStop(int widthInPixels)
{
    m_details.SetTabStops(widthInPixels / 4);
    // One column as wide as the list: a multi-column list box cuts every line
    // at its column width, which would hide the values behind the tab stop.
    m_details.SetColumnWidth(widthInPixels);
}

void CTokariumDlg::DisableAllButtons()
{
    CButton* buttons[] = {&m_btnLogin, &m_btnRefresh, &m_btnImport, &m_btnExport,
                          &m_btnResetDevice, &m_btnChangePIN, &m_btnUnlockPIN, &m_btnChangePUK,
                          &m_btnChangeTokenName, &m_btnViewDetails, &m_btnRegisterCertificates};
    for (CButton* button : buttons)
        button->EnableWindow(FALSE);
}

void CTokariumDlg::BindModule()
{
    unsigned long result = m_cryptoki.Attach(kModuleFileName);
    if (result != 0) {
        theLog.LogError(0, kModuleMissing, "Error: %x", result);
        // Show the window first, so the message is seen over what it concerns.
        ShowWindow(SW_SHOW);
        UpdateWindow();
        ShowErrorBox(m_hWnd, L"Quorin Middlware not found");
        return;
    }
    m_timer = SetTimer(REFRESH_TIMER, REFRESH_PERIOD);
}

void CTokariumDlg::ShowAboutBox()
{
    CAboutDlg about;
    about.m_pParentWnd = this;
    about.DoModal();
}

LRESULT CTokariumDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_QUORIN_MW_ACTIVITY_IMPORT_END && message != 0) {
        OnImportEnd();
        return 0;
    }
    switch (message) {
    case WM_TIMER:
        RefreshReaders();
        break;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
            ShowAboutBox();
            return 0;
        }
        break;
    case WM_PAINT:
        if (OnPaintMinimized())
            return 0;
        break;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(m_hIcon);
    case WM_SIZE: {
        LRESULT result = Default();
        OnSize(LOWORD(lParam), HIWORD(lParam));
        return result;
    }
    case WM_GETMINMAXINFO: {
        LRESULT result = Default();
        OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        return result;
    }
    case WM_CLOSE:
        OnClose();
        break;
    case WM_SHOW_TREE_ITEM:
        m_tree.EnsureVisible(reinterpret_cast<HTREEITEM>(wParam));
        return 0;
    default:
        break;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

BOOL CTokariumDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (lParam == 0 && LOWORD(wParam) == ID_OPTIONS_SETTINGS)
        OnSettingsCommand();
    if (lParam == 0 && LOWORD(wParam) == ID_OPTIONS_ABOUT)
        ShowAboutBox();
    if (lParam != 0 && HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case IDC_LOGIN:
            OnLoginCommand();
            return TRUE;
        case IDC_REFRESH:
            OnRefreshCommand();
            return TRUE;
        case IDC_IMPORT:
            OnImportCommand();
            return TRUE;
        case IDC_EXPORT:
            OnExportCommand();
            return TRUE;
        case IDC_VIEW_DETAILS:
            OnViewDetails();
            return TRUE;
        case IDC_RESET_DEVICE:
            OnDeleteCommand();
            return TRUE;
        case IDC_CHANGE_PIN:
            OnChangePINCommand();
            return TRUE;
        case IDC_UNLOCK_PIN:
            OnUnlockPINCommand();
            return TRUE;
        case IDC_CHANGE_PUK:
            OnChangePUKCommand();
            return TRUE;
        case IDC_CHANGE_TOKEN_NAME:
            OnChangeTokenNameCommand();
            return TRUE;
        case IDC_REGISTER_CERTIFICATES:
            OnRegisterCertificatesCommand();
            return TRUE;
        default:
            break;
        }
    }
    return CDialog::OnCommand(wParam, lParam);
}

BOOL CTokariumDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && header->idFrom == IDC_TREE) {
        if (header->code == TVN_SELCHANGEDW || header->code == TVN_SELCHANGEDA) {
            *result = 0;
            OnSelectionChanged();
            return TRUE;
        }
        if (header->code == NM_DBLCLK) {
            *result = 0;
            *result = OnTreeDoubleClick();
            return TRUE;
        }
    }
    return CDialog::OnNotify(wParam, lParam, result);
}

void CTokariumDlg::OnSize(int cx, int cy)
{
    if (m_details.m_hWnd) {
        m_details.MoveWindow(MARGIN, static_cast<int>(0.7 * cy + MARGIN), cx - RIGHT_COLUMN,
                             static_cast<int>(0.3 * cy - 2 * MARGIN));
        SetDetailsTabStop(cx - RIGHT_COLUMN);
    }
    if (m_tree.m_hWnd)
        m_tree.MoveWindow(MARGIN, MARGIN, cx - RIGHT_COLUMN, static_cast<int>(0.7 * cy - MARGIN));
    if (m_picture.m_hWnd) {
        RECT picture = m_picture.GetRectInParent();
        int w = picture.right - picture.left, h = picture.bottom - picture.top;
        m_picture.MoveWindow(cx - w - MARGIN, cy - h - MARGIN, w, h);
    }
    if (!m_btnLogin.m_hWnd)
        return;
    RECT login = m_btnLogin.GetRectInParent();
    int width = login.right - login.left, height = login.bottom - login.top;
    int x = cx - width - MARGIN;
    m_btnLogin.MoveWindow(x, login.top, width, height);
    CButton* column[] = {&m_btnChangePIN, &m_btnChangePUK, &m_btnChangeTokenName, &m_btnExport,
                         &m_btnImport, &m_btnRefresh, &m_btnRegisterCertificates, &m_btnResetDevice,
                         &m_btnUnlockPIN, &m_btnViewDetails};
    for (CButton* button : column) {
        if (!button->m_hWnd)
            continue;
        RECT own = button->GetRectInParent();
        button->MoveWindow(x, own.top, width, height);
    }
}

void CTokariumDlg::OnGetMinMaxInfo(MINMAXINFO* info)
{
    info->ptMinTrackSize.x = MIN_WIDTH;
    info->ptMinTrackSize.y = MIN_HEIGHT;
}

BOOL CTokariumDlg::OnPaintMinimized()
{
    if (!IsIconic())
        return FALSE;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    SendMessageW(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(&client);
    int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(m_hWnd, &paint);
    return TRUE;
}

void CTokariumDlg::OnClose() { FreeTokenRecords(); }

void CTokariumDlg::FreeTokenRecords()
{
    for (auto& entry : m_tokens) {
        FreeCertificateList(entry.second->certificates);
        delete entry.second;
    }
    m_tokens.clear();
}
