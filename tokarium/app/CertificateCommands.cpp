// The certificate commands: Export, View Details and Delete (a certificate,
// a folder or the whole device).
#include "tokarium/app/TokariumDlg.h"

#include "tokarium/app/ActivityLog.h"
#include "tokarium/app/WaitCursor.h"

#include <windows.h>
#include <commdlg.h>
#include <wincrypt.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const unsigned long kCancelled = 0xFFFFFFFFul;

// The viewer's argument, as the platform documents it.
struct CRYPTUI_VIEWCERTIFICATE_STRUCTA {
    DWORD dwSize;
    HWND hwndParent;
    DWORD dwFlags;
    LPCSTR szTitle;
    PCCERT_CONTEXT pCertContext;
    LPCSTR* rgszPurposes;
    DWORD cPurposes;
    union {
        const void* pCryptProviderData;
        HANDLE hWVTStateData;
    };
    BOOL fpCryptProviderDataTrustedUsage;
    DWORD idxSigner;
    DWORD idxCert;
    BOOL fCounterSigner;
    DWORD idxCounterSigner;
    DWORD cStores;
    HCERTSTORE* rghStores;
    DWORD cPropSheetPages;
    const void* rgPropSheetPages;
    DWORD nStartPage;
};
static_assert(sizeof(CRYPTUI_VIEWCERTIFICATE_STRUCTA) == (sizeof(void*) == 8 ? 120 : 72),
              "the viewer checks the structure's size");

typedef BOOL(WINAPI* ViewCertificateFunction)(const CRYPTUI_VIEWCERTIFICATE_STRUCTA*, BOOL*);

const wchar_t kExportFilter[] = L"Certificate File (*.cer)\0*.cer\0Certificate File (*.der)\0*.der\0";

std::wstring SystemMessage(DWORD code)
{
    wchar_t* text = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                      | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length && text ? std::wstring(text, length) : std::wstring();
    if (text)
        LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    return message;
}

// The reason of the C runtime's last failure: the system's error when the
// runtime kept one, else the runtime's own text.
std::wstring RuntimeError(unsigned& code)
{
    code = static_cast<unsigned>(_doserrno);
    std::wstring message = code ? SystemMessage(code) : std::wstring();
    if (message.empty()) {
        int error = errno;
        code = static_cast<unsigned>(error);
        message = _wcserror(error);
    }
    return message;
}

// Creates or replaces the file with exactly the bytes; false with the reason.
// Buffered bytes reach the file only at the flush, whose failure some runtimes'
// fclose does not report: the flush is checked on its own.
bool WriteWholeFile(const wchar_t* path, const std::vector<unsigned char>& bytes, std::wstring& error,
                    unsigned& code)
{
    _doserrno = 0;
    errno = 0;
    FILE* file = _wfopen(path, L"wb");
    if (!file) {
        error = RuntimeError(code);
        return false;
    }
    size_t written = bytes.empty() ? 0 : fwrite(bytes.data(), 1, bytes.size(), file);
    bool ok = written == bytes.size() && fflush(file) == 0 && !ferror(file);
    if (!ok)
        error = RuntimeError(code);
    if (fclose(file) != 0 && ok) {
        ok = false;
        error = RuntimeError(code);
    }
    if (!ok && error.empty())
        error = L"The file was not written completely.";
    return ok;
}

HTREEITEM ChildAt(CTreeCtrl& tree, HTREEITEM parent, int position)
{
    HTREEITEM child = tree.GetChildItem(parent);
    for (; child && position > 0; --position)
        child = tree.GetNextSiblingItem(child);
    return child;
}

int PositionOf(CTreeCtrl& tree, HTREEITEM parent, HTREEITEM item)
{
    int position = 0;
    for (HTREEITEM child = tree.GetChildItem(parent); child; child = tree.GetNextSiblingItem(child), ++position)
        if (child == item)
            return position;
    return -1;
}

}  // namespace

const CertificateEntry* CTokariumDlg::EntryOfItem(HTREEITEM item)
{
    int image = ItemImage(item);
    if (image != IMAGE_CA_CERTIFICATE && image != IMAGE_USER_CERTIFICATE)
        return nullptr;
    TokenRecord* token = TokenOfItem(item);
    if (!token || !token->certificates)
        return nullptr;
    DWORD_PTR index = m_tree.GetItemData(item);
    if (index >= token->certificates->count)
        return nullptr;
    const CertificateEntry* entry = &token->certificates->entries[index];
    return entry->value ? entry : nullptr;
}

void CTokariumDlg::OnExportCommand()
{
    const CertificateEntry* entry = EntryOfItem(m_tree.GetSelectedItem());
    if (!entry)
        return;
    // A listing while the dialog is open replaces the entries: keep a copy.
    std::vector<unsigned char> der(entry->value, entry->value + entry->valueLength);

    CommandScope command(*this);
    wchar_t path[260] = L"";
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = m_hWnd;
    dialog.lpstrFilter = kExportFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof path / sizeof path[0];
    dialog.lpstrDefExt = L"cer";
    if (!GetSaveFileNameW(&dialog))
        return;

    std::wstring error;
    unsigned code = 0;
    if (WriteWholeFile(path, der, error, code))
        return;
    theLog.LogError(0, "ExportCertificate", "Error: %x", code);
    ShowErrorBox(m_hWnd, error.c_str());
}

void CTokariumDlg::OnViewDetails()
{
    const CertificateEntry* entry = EntryOfItem(m_tree.GetSelectedItem());
    if (!entry)
        return;
    CommandScope command(*this);
    // The context holds its own copy of the bytes.
    PCCERT_CONTEXT context = CertCreateCertificateContext(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING,
                                                          entry->value, entry->valueLength);
    if (!context) {
        theLog.LogError(0, "ViewCertificte", "Error: %x", static_cast<unsigned>(GetLastError()));
        ShowErrorBox(m_hWnd, L"Unable to show the selected certificate");
        return;
    }
    if (HMODULE cryptui = LoadLibraryW(L"cryptui.dll")) {
        ViewCertificateFunction view = reinterpret_cast<ViewCertificateFunction>(
            reinterpret_cast<void*>(GetProcAddress(cryptui, "CryptUIDlgViewCertificateA")));
        if (view) {
            CRYPTUI_VIEWCERTIFICATE_STRUCTA request = {};
            request.dwSize = sizeof request;
            request.hwndParent = m_hWnd;
            request.pCertContext = context;
            view(&request, nullptr);
        }
        FreeLibrary(cryptui);
    }
    CertFreeCertificateContext(context);
}

bool CTokariumDlg::ConfirmPin(TokenRecord* token, const char* tag)
{
    unsigned long result = PromptLogin(token->session, true);
    if (result == 0) {
        token->loggedIn = true;
        return true;
    }
    theLog.LogError(0, tag, "Error: %x", static_cast<unsigned>(result));
    if (result != kCancelled) {
        token->loggedIn = false;
        ShowTokenDetails(token);
    }
    return false;
}

void CTokariumDlg::OnDeleteCommand()
{
    HTREEITEM item = m_tree.GetSelectedItem();
    switch (ItemImage(item)) {
    case IMAGE_CA_CERTIFICATE:
    case IMAGE_USER_CERTIFICATE:
        DeleteCertificateItem(item);
        break;
    case IMAGE_FOLDER:
        DeleteFolderItem(item);
        break;
    case IMAGE_TOKEN:
        ResetDeviceItem(item);
        break;
    default:
        break;
    }
}

void CTokariumDlg::DeleteCertificateItem(HTREEITEM item)
{
    static const char kTag[] = "DeleteCertificte";
    CommandScope command(*this);
    TokenRecord* token = TokenOfItem(item);
    const CertificateEntry* entry = EntryOfItem(item);
    if (!token || !entry)
        return;
    // The entry may be replaced by a listing while the PIN is asked.
    std::string label = entry->label;
    if (!ConfirmPin(token, kTag))
        return;
    CWaitCursor wait;
    CK_RV rv = m_cryptoki.DeleteCertificate(token->session, label.c_str());
    if (rv != 0) {
        theLog.LogError(0, kTag, "Error: %x", static_cast<unsigned>(rv));
        wait.Restore();
        ShowErrorBox(m_hWnd, L"Unable to delete the selected certificate");
    }
    // After a failure too: some of the certificate's objects may be gone.
    ListTokenObjects(token);
}

void CTokariumDlg::DeleteFolderItem(HTREEITEM folder)
{
    static const char kTag[] = "DeleteFolder";
    CommandScope command(*this);
    TokenRecord* token = TokenOfItem(folder);
    if (!token)
        return;
    // A listing while the PIN is asked makes new folders in the same places.
    int position = PositionOf(m_tree, token->treeItem, folder);
    if (!ConfirmPin(token, kTag))
        return;
    folder = ChildAt(m_tree, token->treeItem, position);
    if (!folder || ItemImage(folder) != IMAGE_FOLDER)
        return;
    CWaitCursor wait;
    for (HTREEITEM child = m_tree.GetChildItem(folder); child; child = m_tree.GetChildItem(folder)) {
        const CertificateEntry* entry = EntryOfItem(child);
        CK_RV rv = entry ? m_cryptoki.DeleteCertificate(token->session, entry->label) : CKR_GENERAL_ERROR;
        if (rv != 0) {
            theLog.LogError(0, kTag, "Error: %x", static_cast<unsigned>(rv));
            wait.Restore();
            ShowErrorBox(m_hWnd, L"Unable to delete the selected folder");
            // What is left of the failed certificate shows after a new listing.
            ListTokenObjects(token);
            return;
        }
        m_tree.DeleteItem(child);
    }
    // The last listing still holds the deleted certificates; an import compares against it.
    ListTokenObjects(token);
}

void CTokariumDlg::ResetDeviceItem(HTREEITEM tokenItem)
{
    static const char kTag[] = "ResetDevice";
    CommandScope command(*this);
    TokenRecord* token = reinterpret_cast<TokenRecord*>(m_tree.GetItemData(tokenItem));
    if (!token || !EnsureSession(token))
        return;
    if (!ConfirmPin(token, kTag))
        return;
    CWaitCursor wait;
    CK_RV rv = m_cryptoki.ResetDevice(token->session);
    if (rv != 0) {
        theLog.LogError(0, kTag, "Error: %x", static_cast<unsigned>(rv));
        wait.Restore();
        ShowErrorBox(m_hWnd, L"Unable to ResetDevice the selected device");
        ListTokenObjects(token);
        return;
    }
    ListTokenObjects(token);
    ShowTokenDetails(token);
}
