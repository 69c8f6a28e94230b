#include "platform/framework/Controls.h"

BOOL CImageList::Create(int cx, int cy, UINT flags, int initial, int grow)
{
    DeleteImageList();
    m_hImageList = ImageList_Create(cx, cy, flags, initial, grow);
    return m_hImageList != nullptr;
}

int CImageList::Add(HICON icon) { return m_hImageList ? ImageList_AddIcon(m_hImageList, icon) : -1; }
int CImageList::GetImageCount() const { return m_hImageList ? ImageList_GetImageCount(m_hImageList) : 0; }

BOOL CImageList::DeleteImageList()
{
    if (!m_hImageList)
        return FALSE;
    BOOL done = ImageList_Destroy(m_hImageList);
    m_hImageList = nullptr;
    return done;
}

HBITMAP CStatic::SetBitmap(HBITMAP bitmap)
{
    return reinterpret_cast<HBITMAP>(
        SendMessageW(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
}

HBITMAP CStatic::GetBitmap() const
{
    return reinterpret_cast<HBITMAP>(SendMessageW(STM_GETIMAGE, IMAGE_BITMAP));
}

HICON CStatic::SetIcon(HICON icon)
{
    return reinterpret_cast<HICON>(SendMessageW(STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon)));
}

int CListBox::AddString(const wchar_t* text)
{
    return static_cast<int>(SendMessageW(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}

int CListBox::AddString(const char* text)
{
    return static_cast<int>(SendMessageA(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}

int CListBox::InsertString(int index, const wchar_t* text)
{
    return static_cast<int>(SendMessageW(LB_INSERTSTRING, static_cast<WPARAM>(index),
                                         reinterpret_cast<LPARAM>(text)));
}

int CListBox::DeleteString(int index)
{
    return static_cast<int>(SendMessageW(LB_DELETESTRING, static_cast<WPARAM>(index)));
}

void CListBox::ResetContent() { SendMessageW(LB_RESETCONTENT); }
int CListBox::GetCount() const { return static_cast<int>(SendMessageW(LB_GETCOUNT)); }

std::wstring CListBox::GetText(int index) const
{
    LRESULT length = SendMessageW(LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (length == LB_ERR)
        return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = SendMessageW(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(copied == LB_ERR ? 0 : static_cast<size_t>(copied));
    return text;
}

BOOL CListBox::SetTabStops(int count, const int* stops)
{
    return static_cast<BOOL>(SendMessageW(LB_SETTABSTOPS, static_cast<WPARAM>(count),
                                          reinterpret_cast<LPARAM>(stops)));
}

void CListBox::SetHorizontalExtent(int extent) { SendMessageW(LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(extent)); }
void CListBox::SetColumnWidth(int width) { SendMessageW(LB_SETCOLUMNWIDTH, static_cast<WPARAM>(width)); }

int CComboBox::AddString(const wchar_t* text)
{
    return static_cast<int>(SendMessageW(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}

int CComboBox::AddString(const char* text)
{
    return static_cast<int>(SendMessageA(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}

int CComboBox::GetCount() const { return static_cast<int>(SendMessageW(CB_GETCOUNT)); }
int CComboBox::GetCurSel() const { return static_cast<int>(SendMessageW(CB_GETCURSEL)); }
int CComboBox::SetCurSel(int index) { return static_cast<int>(SendMessageW(CB_SETCURSEL, static_cast<WPARAM>(index))); }

std::wstring CComboBox::GetLBText(int index) const
{
    LRESULT length = SendMessageW(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length == CB_ERR)
        return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = SendMessageW(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(copied == CB_ERR ? 0 : static_cast<size_t>(copied));
    return text;
}

void CComboBox::ResetContent() { SendMessageW(CB_RESETCONTENT); }

HTREEITEM CTreeCtrl::InsertItem(const wchar_t* text, int image, int selectedImage, HTREEITEM parent,
                                HTREEITEM after)
{
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<wchar_t*>(text);
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    return reinterpret_cast<HTREEITEM>(SendMessageW(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

BOOL CTreeCtrl::DeleteItem(HTREEITEM item)
{
    return static_cast<BOOL>(SendMessageW(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item)));
}

BOOL CTreeCtrl::DeleteAllItems() { return DeleteItem(TVI_ROOT); }

BOOL CTreeCtrl::SetItemData(HTREEITEM item, DWORD_PTR data)
{
    TVITEMW tv = {};
    tv.mask = TVIF_PARAM | TVIF_HANDLE;
    tv.hItem = item;
    tv.lParam = static_cast<LPARAM>(data);
    return static_cast<BOOL>(SendMessageW(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv)));
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM item) const
{
    TVITEMW tv = {};
    tv.mask = TVIF_PARAM | TVIF_HANDLE;
    tv.hItem = item;
    if (!SendMessageW(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv)))
        return 0;
    return static_cast<DWORD_PTR>(tv.lParam);
}

std::wstring CTreeCtrl::GetItemText(HTREEITEM item) const
{
    wchar_t buffer[1024] = L"";
    TVITEMW tv = {};
    tv.mask = TVIF_TEXT | TVIF_HANDLE;
    tv.hItem = item;
    tv.pszText = buffer;
    tv.cchTextMax = static_cast<int>(sizeof buffer / sizeof buffer[0]);
    if (!SendMessageW(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv)))
        return std::wstring();
    return tv.pszText ? std::wstring(tv.pszText) : std::wstring();
}

BOOL CTreeCtrl::SetItemText(HTREEITEM item, const wchar_t* text)
{
    TVITEMW tv = {};
    tv.mask = TVIF_TEXT | TVIF_HANDLE;
    tv.hItem = item;
    tv.pszText = const_cast<wchar_t*>(text);
    return static_cast<BOOL>(SendMessageW(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv)));
}

BOOL CTreeCtrl::GetItemImage(HTREEITEM item, int& image, int& selectedImage) const
{
    TVITEMW tv = {};
    tv.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
    tv.hItem = item;
    if (!SendMessageW(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv)))
        return FALSE;
    image = tv.iImage;
    selectedImage = tv.iSelectedImage;
    return TRUE;
}

static HTREEITEM NextItem(const CTreeCtrl& tree, HTREEITEM item, UINT code)
{
    return reinterpret_cast<HTREEITEM>(tree.SendMessageW(TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM CTreeCtrl::GetSelectedItem() const { return NextItem(*this, nullptr, TVGN_CARET); }
HTREEITEM CTreeCtrl::GetParentItem(HTREEITEM item) const { return NextItem(*this, item, TVGN_PARENT); }
HTREEITEM CTreeCtrl::GetChildItem(HTREEITEM item) const { return NextItem(*this, item, TVGN_CHILD); }
HTREEITEM CTreeCtrl::GetNextSiblingItem(HTREEITEM item) const { return NextItem(*this, item, TVGN_NEXT); }
HTREEITEM CTreeCtrl::GetRootItem() const { return NextItem(*this, nullptr, TVGN_ROOT); }

BOOL CTreeCtrl::SelectItem(HTREEITEM item)
{
    return static_cast<BOOL>(SendMessageW(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)));
}

BOOL CTreeCtrl::Expand(HTREEITEM item, UINT code)
{
    return static_cast<BOOL>(SendMessageW(TVM_EXPAND, code, reinterpret_cast<LPARAM>(item)));
}

BOOL CTreeCtrl::EnsureVisible(HTREEITEM item)
{
    return static_cast<BOOL>(SendMessageW(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item)));
}

UINT CTreeCtrl::GetCount() const { return static_cast<UINT>(SendMessageW(TVM_GETCOUNT)); }

HIMAGELIST CTreeCtrl::SetImageList(CImageList* list, int kind)
{
    return reinterpret_cast<HIMAGELIST>(SendMessageW(TVM_SETIMAGELIST, static_cast<WPARAM>(kind),
                                                     reinterpret_cast<LPARAM>(list ? list->m_hImageList : nullptr)));
}
