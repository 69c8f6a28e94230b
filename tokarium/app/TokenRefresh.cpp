// The reader scan over PC/SC and the refresh that adds and removes tokens.
#include "tokarium/app/TokariumDlg.h"

#include "tokarium/app/ActivityLog.h"
#include "tokarium/app/TextConversion.h"

#include <winscard.h>

#include <cstring>

namespace {

const int kMaxReaders = 10;
const uint32_t kNoSlot = 0xFFFFFFFFu;

// The fixed-width token label without its trailing blanks.
std::string TrimmedField(const unsigned char* field, size_t size)
{
    std::string text(reinterpret_cast<const char*>(field), size);
    size_t end = text.find_last_not_of(" \n\r\t");
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

bool Contains(char (*names)[260], int count, const std::string& name)
{
    for (int i = 0; i < count; ++i)
        if (name == names[i])
            return true;
    return false;
}

}  // namespace

long CTokariumDlg::ScanReaders(char (*names)[260], int& count)
{
    int capacity = count < kMaxReaders ? count : kMaxReaders;
    count = 0;
    SCARDCONTEXT context = 0;
    LONG rv = SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &context);
    if (rv != SCARD_S_SUCCESS) {
        theLog.LogError(0, "SmartCard Service not running.", "Error: %x", static_cast<unsigned>(rv));
        return rv;
    }
    char* readers = nullptr;
    DWORD length = SCARD_AUTOALLOCATE;
    rv = SCardListReadersA(context, nullptr, reinterpret_cast<char*>(&readers), &length);
    if (rv != SCARD_S_SUCCESS) {
        SCardReleaseContext(context);
        return rv;
    }
    for (const char* name = readers; *name && count < capacity; name += strlen(name) + 1) {
        SCARD_READERSTATEA state = {};
        state.szReader = name;
        state.dwCurrentState = SCARD_STATE_UNAWARE;
        if (SCardGetStatusChangeA(context, 0, &state, 1) != SCARD_S_SUCCESS
            || !(state.dwEventState & SCARD_STATE_PRESENT))
            continue;
        // Longer names than the record holds cannot be matched to a slot anyway.
        if (strlen(name) >= sizeof names[0])
            continue;
        strcpy(names[count++], name);
    }
    SCardFreeMemory(context, readers);
    SCardReleaseContext(context);
    return 0;
}

void CTokariumDlg::RefreshReaders()
{
    if (m_runningCommands > 0)
        return;
    if (m_importEndPending)
        OnImportEnd();
    char names[kMaxReaders][260];
    int n = kMaxReaders;
    if (ScanReaders(names, n) != 0)
        n = 0;
    int m = static_cast<int>(m_tokens.size());
    if (n > m)
        AddTokens(names, n);
    else if (n < m)
        RemoveOneToken(names, n);
}

void CTokariumDlg::AddTokens(char (*names)[260], int count)
{
    if (!m_tokens.empty())
        LogoutAll();
    m_cryptoki.Finalize();
    m_cryptoki.Initialize();
    for (int i = 0; i < count; ++i) {
        if (m_tokens.count(names[i]))
            continue;
        if (!AddToken(names[i]))
            return;
    }
}

bool CTokariumDlg::AddToken(const char* readerName)
{
    CK_SLOT_ID slot = kNoSlot;
    CK_RV rv = m_cryptoki.GetSlotID(readerName, slot);
    if (rv != 0) {
        theLog.LogError(0, "GetSlotID.", "Error: %x", static_cast<unsigned>(rv));
        return false;
    }
    CK_TOKEN_INFO info;
    rv = m_cryptoki.GetTokenInfo(slot, info);
    if (rv != 0) {
        theLog.LogError(0, "GetTokenInfo.", "Error: %x", static_cast<unsigned>(rv));
        return false;
    }
    std::string text = TrimmedField(info.label, sizeof info.label) + " [" + readerName + "]";
    // The label may hold NUL octets: the text ends at the first, as C text does.
    std::wstring wide = ToWide(text.c_str());
    HTREEITEM item = m_tree.InsertItem(wide.c_str(), IMAGE_TOKEN, IMAGE_TOKEN, m_rootItem, TVI_LAST);
    m_tree.Expand(item, TVE_EXPAND);

    TokenRecord* token = new TokenRecord();
    token->slotId = static_cast<uint32_t>(slot);
    strcpy(token->readerName, readerName);
    token->treeItem = item;
    token->session = 0;
    token->certificates = nullptr;
    token->loggedIn = false;
    m_tree.SetItemData(item, reinterpret_cast<DWORD_PTR>(token));
    m_tokens[readerName] = token;

    m_tree.Expand(m_rootItem, TVE_EXPAND);
    m_tree.SelectItem(item);
    m_btnChangePIN.EnableWindow(TRUE);
    m_btnLogin.EnableWindow(TRUE);
    m_btnChangePUK.EnableWindow(TRUE);
    m_btnRegisterCertificates.EnableWindow(TRUE);
    m_btnChangeTokenName.EnableWindow(FALSE);
    m_btnExport.EnableWindow(FALSE);
    m_btnImport.EnableWindow(FALSE);
    m_btnRefresh.EnableWindow(FALSE);
    m_btnResetDevice.EnableWindow(FALSE);
    return true;
}

void CTokariumDlg::RemoveOneToken(char (*names)[260], int count)
{
    for (auto entry = m_tokens.begin(); entry != m_tokens.end(); ++entry) {
        if (Contains(names, count, entry->first))
            continue;
        TokenRecord* token = entry->second;
        HTREEITEM parent = m_tree.GetParentItem(token->treeItem);
        FreeCertificateList(token->certificates);
        token->certificates = nullptr;
        m_tree.DeleteItem(token->treeItem);
        m_tokens.erase(entry);
        if (token->session != 0)
            m_cryptoki.CloseSession(token->session);
        delete token;
        if (parent)
            m_tree.SelectItem(parent);
        return;
    }
}

TokenRecord* CTokariumDlg::GetSelectedToken() { return TokenOfItem(m_tree.GetSelectedItem()); }

TokenRecord* CTokariumDlg::TokenOfItem(HTREEITEM item)
{
    while (item && ItemImage(item) != IMAGE_TOKEN)
        item = m_tree.GetParentItem(item);
    return item ? reinterpret_cast<TokenRecord*>(m_tree.GetItemData(item)) : nullptr;
}

int CTokariumDlg::ItemImage(HTREEITEM item) const
{
    int image = -1, selected = -1;
    if (!item || !m_tree.GetItemImage(item, image, selected))
        return -1;
    return image;
}

bool CTokariumDlg::IsTokenShown(const TokenRecord* token) const
{
    for (const auto& entry : m_tokens)
        if (entry.second == token)
            return true;
    return false;
}

void CTokariumDlg::FreeCertificateList(CertificateList* list)
{
    if (!list)
        return;
    ReleaseCertificateEntries(*list);
    delete list;
}

void CTokariumDlg::OnImportEnd()
{
    // A command waiting in a dialog may hold the lists and tree items that a
    // listing replaces.
    if (m_runningCommands > 0) {
        m_importEndPending = true;
        return;
    }
    m_importEndPending = false;
    for (auto& entry : m_tokens)
        if (entry.second->loggedIn)
            ListTokenObjects(entry.second);
}
