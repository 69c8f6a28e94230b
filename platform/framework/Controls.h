#pragma once
// Thin control wrappers: a window handle and one-line methods that forward to
// the control's messages. They own nothing but (CImageList) the image list.

#include "platform/framework/Wnd.h"

#include <commctrl.h>

#include <string>

class CImageList {
public:
    CImageList() : m_hImageList(nullptr) {}
    ~CImageList() { DeleteImageList(); }

    BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
    // The index of the added image, -1 on failure.
    int Add(HICON icon);
    int GetImageCount() const;
    BOOL DeleteImageList();
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    operator HIMAGELIST() const { return m_hImageList; }

    HIMAGELIST m_hImageList;

private:
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;
};

class CButton : public CWnd {
public:
    int GetCheck() const { return static_cast<int>(SendMessageW(BM_GETCHECK)); }
    void SetCheck(int state) { SendMessageW(BM_SETCHECK, static_cast<WPARAM>(state)); }
};

class CStatic : public CWnd {
public:
    HBITMAP SetBitmap(HBITMAP bitmap);
    HBITMAP GetBitmap() const;
    HICON SetIcon(HICON icon);
};

class CListBox : public CWnd {
public:
    int AddString(const wchar_t* text);
    int AddString(const char* text);
    int InsertString(int index, const wchar_t* text);
    int DeleteString(int index);
    void ResetContent();
    int GetCount() const;
    std::wstring GetText(int index) const;
    // Tab stops in dialog template units.
    BOOL SetTabStops(int count, const int* stops);
    BOOL SetTabStops(int stop) { return SetTabStops(1, &stop); }
    void SetHorizontalExtent(int extent);
    void SetColumnWidth(int width);
};

class CComboBox : public CWnd {
public:
    int AddString(const wchar_t* text);
    int AddString(const char* text);
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);
    std::wstring GetLBText(int index) const;
    void ResetContent();
};

class CTreeCtrl : public CWnd {
public:
    HTREEITEM InsertItem(const wchar_t* text, int image, int selectedImage,
                         HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    BOOL DeleteItem(HTREEITEM item);
    BOOL DeleteAllItems();
    BOOL SetItemData(HTREEITEM item, DWORD_PTR data);
    DWORD_PTR GetItemData(HTREEITEM item) const;
    std::wstring GetItemText(HTREEITEM item) const;
    BOOL SetItemText(HTREEITEM item, const wchar_t* text);
    BOOL GetItemImage(HTREEITEM item, int& image, int& selectedImage) const;
    HTREEITEM GetSelectedItem() const;
    HTREEITEM GetParentItem(HTREEITEM item) const;
    HTREEITEM GetChildItem(HTREEITEM item) const;
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const;
    HTREEITEM GetRootItem() const;
    BOOL ItemHasChildren(HTREEITEM item) const { return GetChildItem(item) != nullptr; }
    BOOL SelectItem(HTREEITEM item);
    BOOL Expand(HTREEITEM item, UINT code);
    BOOL EnsureVisible(HTREEITEM item);
    UINT GetCount() const;
    // The previous normal image list.
    HIMAGELIST SetImageList(CImageList* list, int kind);
};
