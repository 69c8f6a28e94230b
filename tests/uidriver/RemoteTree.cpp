#include "tests/uidriver/RemoteTree.h"

namespace uidriver {

namespace {

const int kTextCapacity = 1024;

// A TVITEMW and its text buffer inside the tree's process.
class RemoteItemBuffer {
public:
    explicit RemoteItemBuffer(HWND tree)
    {
        DWORD processId = 0;
        GetWindowThreadProcessId(tree, &processId);
        m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
        if (m_process)
            m_memory = static_cast<BYTE*>(VirtualAllocEx(m_process, nullptr, Size(), MEM_COMMIT | MEM_RESERVE,
                                                          PAGE_READWRITE));
    }
    ~RemoteItemBuffer()
    {
        if (m_memory)
            VirtualFreeEx(m_process, m_memory, 0, MEM_RELEASE);
        if (m_process)
            CloseHandle(m_process);
    }
    bool Ready() const { return m_memory != nullptr; }

    bool Read(HWND tree, HTREEITEM handle, TreeItem& item)
    {
        TVITEMW tv = {};
        tv.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE;
        tv.hItem = handle;
        tv.stateMask = TVIS_EXPANDED | TVIS_SELECTED;
        tv.pszText = reinterpret_cast<wchar_t*>(m_memory + sizeof(TVITEMW));
        tv.cchTextMax = kTextCapacity;
        SIZE_T done = 0;
        wchar_t empty = L'\0';
        if (!WriteProcessMemory(m_process, m_memory, &tv, sizeof tv, &done)
            || !WriteProcessMemory(m_process, m_memory + sizeof tv, &empty, sizeof empty, &done))
            return false;
        if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(m_memory)))
            return false;
        if (!ReadProcessMemory(m_process, m_memory, &tv, sizeof tv, &done))
            return false;
        std::vector<wchar_t> text(kTextCapacity + 1, L'\0');
        const BYTE* textAddress = reinterpret_cast<const BYTE*>(tv.pszText);
        if (textAddress && !ReadProcessMemory(m_process, textAddress, text.data(), kTextCapacity * sizeof(wchar_t), &done))
            return false;
        text[kTextCapacity] = L'\0';
        item.handle = handle;
        item.text = text.data();
        item.image = tv.iImage;
        item.selectedImage = tv.iSelectedImage;
        item.data = tv.lParam;
        item.expanded = (tv.state & TVIS_EXPANDED) != 0;
        item.selected = (tv.state & TVIS_SELECTED) != 0;
        return true;
    }

private:
    static SIZE_T Size() { return sizeof(TVITEMW) + (kTextCapacity + 1) * sizeof(wchar_t); }

    HANDLE m_process = nullptr;
    BYTE* m_memory = nullptr;
};

HTREEITEM Next(HWND tree, HTREEITEM item, UINT code)
{
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}

void ReadSiblings(HWND tree, RemoteItemBuffer& buffer, HTREEITEM first, std::vector<TreeItem>& out, int depth)
{
    for (HTREEITEM handle = first; handle && out.size() < 10000; handle = Next(tree, handle, TVGN_NEXT)) {
        TreeItem item;
        if (!buffer.Read(tree, handle, item))
            return;
        if (depth < 32)
            ReadSiblings(tree, buffer, Next(tree, handle, TVGN_CHILD), item.children, depth + 1);
        out.push_back(item);
    }
}

}  // namespace

std::vector<TreeItem> TreeItems(HWND tree)
{
    std::vector<TreeItem> items;
    RemoteItemBuffer buffer(tree);
    if (buffer.Ready())
        ReadSiblings(tree, buffer, Next(tree, nullptr, TVGN_ROOT), items, 0);
    return items;
}

std::wstring SelectedTreeText(HWND tree)
{
    HTREEITEM selected = Next(tree, nullptr, TVGN_CARET);
    if (!selected)
        return std::wstring();
    RemoteItemBuffer buffer(tree);
    TreeItem item;
    if (!buffer.Ready() || !buffer.Read(tree, selected, item))
        return std::wstring();
    return item.text;
}

}  // namespace uidriver
