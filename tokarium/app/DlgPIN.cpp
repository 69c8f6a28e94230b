#include "tokarium/app/DlgPIN.h"

#include "tokarium/app/SecretText.h"
#include "tokarium/app/resource.h"

#include <vector>

CDlgPIN::CDlgPIN(CWnd* parent) : CDialog(IDD_PIN, parent) {}

CDlgPIN::~CDlgPIN() { WipeText(m_pin); }

void CDlgPIN::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    HWND edit = GetDlgItem(IDC_PIN);
    if (!dx->m_bSaveAndValidate) {
        ::SetWindowTextW(edit, m_pin.c_str());
        return;
    }
    // Read into buffers of our own, so that no copy of the PIN stays behind.
    WipeText(m_pin);
    int length = ::GetWindowTextLengthW(edit);
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
    ::GetWindowTextW(edit, text.data(), length + 1);
    m_pin.reserve(text.size());
    m_pin.assign(text.data());
    SecureZeroMemory(text.data(), text.size() * sizeof(wchar_t));
}
