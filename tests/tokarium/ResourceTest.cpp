// tokarium's resources, read from the built programs (the win64 build and the
// shipping win32 build) without running them.
#include "tests/tokarium/DialogTemplate.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

struct Program {
    const char* name;
    const char* path;
};

class Resources : public ::testing::TestWithParam<Program> {
protected:
    void SetUp() override
    {
        std::string path = GetParam().path;
        std::wstring wide(path.begin(), path.end());
        if (!wide.empty() && wide[0] == L'/') {
            for (wchar_t& c : wide)
                if (c == L'/')
                    c = L'\\';
            wide = L"Z:" + wide;
        }
        m_path = wide;
        if (GetFileAttributesW(m_path.c_str()) == INVALID_FILE_ATTRIBUTES)
            GTEST_SKIP() << path << " is not built";
        m_module = LoadLibraryExW(m_path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(nullptr, m_module) << "error " << GetLastError();
    }
    void TearDown() override
    {
        if (m_module)
            FreeLibrary(m_module);
    }

    std::vector<uint8_t> Resource(const wchar_t* type, const wchar_t* name)
    {
        HRSRC found = FindResourceW(m_module, name, type);
        if (!found)
            return {};
        HGLOBAL loaded = LoadResource(m_module, found);
        const uint8_t* data = static_cast<const uint8_t*>(LockResource(loaded));
        return std::vector<uint8_t>(data, data + SizeofResource(m_module, found));
    }

    DialogTemplate Dialog(int id)
    {
        std::vector<uint8_t> bytes = Resource(MAKEINTRESOURCEW(5) /* RT_DIALOG */, MAKEINTRESOURCEW(id));
        DialogTemplate dialog;
        EXPECT_FALSE(bytes.empty()) << "dialog " << id;
        EXPECT_TRUE(ParseDialogTemplate(bytes.data(), bytes.size(), dialog)) << "dialog " << id;
        return dialog;
    }

    std::wstring m_path;
    HMODULE m_module = nullptr;
};

const uint16_t kButton = 0x80, kStatic = 0x82, kListBox = 0x83;

std::wstring ClassNameOf(const TemplateName& name)
{
    if (!name.isOrdinal)
        return name.text;
    switch (name.ordinal) {
    case kButton: return L"Button";
    case 0x81: return L"Edit";
    case kStatic: return L"Static";
    case kListBox: return L"ListBox";
    case 0x84: return L"ScrollBar";
    case 0x85: return L"ComboBox";
    default: return L"?";
    }
}

struct ExpectedControl {
    uint32_t id;
    const wchar_t* className;
    const wchar_t* caption;
    int16_t x, y, cx, cy;
    uint32_t styles;  // every one of these bits is set
};

// In tab order.
const ExpectedControl kMainControls[] = {
    {1006, L"Button", L"&Unlock PIN", 304, 177, 88, 14, BS_PUSHBUTTON},
    {1007, L"Button", L"Change P&UK", 304, 196, 88, 14, BS_PUSHBUTTON},
    {1001, L"ListBox", L"", 7, 206, 284, 89,
     LBS_NOSEL | LBS_USETABSTOPS | LBS_MULTICOLUMN | WS_VSCROLL | WS_HSCROLL},
    {1002, L"SysTreeView32", L"", 7, 7, 284, 192,
     TVS_HASBUTTONS | TVS_HASLINES | TVS_DISABLEDRAGDROP | TVS_SHOWSELALWAYS},
    {1005, L"Static", nullptr, 304, 219, 87, 75, SS_BITMAP | SS_CENTERIMAGE},
    {3, L"Button", L"Change &PIN", 304, 102, 88, 14, BS_PUSHBUTTON},
    {4, L"Button", L"Reset &Device", 304, 83, 88, 14, BS_PUSHBUTTON},
    {5, L"Button", L"&Import", 304, 45, 88, 14, BS_PUSHBUTTON},
    {6, L"Button", L"&Export", 304, 64, 88, 14, BS_PUSHBUTTON},
    {7, L"Button", L"Refresh", 304, 26, 88, 14, BS_PUSHBUTTON},
    {8, L"Button", L"&Login", 304, 7, 88, 14, BS_PUSHBUTTON},
    {9, L"Button", L"Register &Certificates", 304, 159, 88, 14, BS_PUSHBUTTON},
    {59411, L"Button", L"&View Details", 304, 140, 88, 14, BS_PUSHBUTTON},
    {11, L"Button", L"Change &Token Name", 304, 121, 88, 14, BS_PUSHBUTTON},
};

TEST_P(Resources, MainDialogFrame)
{
    DialogTemplate dialog = Dialog(102);
    EXPECT_EQ(L"Quorin Tokarium", dialog.title);
    EXPECT_EQ(399, dialog.cx);
    EXPECT_EQ(302, dialog.cy);
    EXPECT_EQ(8, dialog.pointSize);
    EXPECT_EQ(L"MS Shell Dlg", dialog.typeface);
    uint32_t frame = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    EXPECT_EQ(frame, dialog.style & frame);
    EXPECT_TRUE(dialog.exStyle & WS_EX_APPWINDOW);
    EXPECT_FALSE(dialog.style & WS_CHILD);
    ASSERT_TRUE(dialog.menu.isOrdinal);
    EXPECT_EQ(140, dialog.menu.ordinal);
}

TEST_P(Resources, MainDialogControlsInTabOrder)
{
    DialogTemplate dialog = Dialog(102);
    ASSERT_EQ(sizeof kMainControls / sizeof kMainControls[0], dialog.items.size());
    for (size_t i = 0; i < dialog.items.size(); ++i) {
        const TemplateItem& item = dialog.items[i];
        const ExpectedControl& expected = kMainControls[i];
        SCOPED_TRACE(testing::Message() << "control " << expected.id);
        EXPECT_EQ(expected.id, item.id);
        // Either the predefined ordinal or the class name (names compare
        // without regard to case, as the window manager compares them).
        EXPECT_EQ(0, _wcsicmp(expected.className, ClassNameOf(item.windowClass).c_str()))
            << std::string(ClassNameOf(item.windowClass).begin(), ClassNameOf(item.windowClass).end());
        if (expected.caption) {
            EXPECT_FALSE(item.title.isOrdinal);
            EXPECT_EQ(expected.caption, item.title.text);
        }
        EXPECT_EQ(expected.x, item.x);
        EXPECT_EQ(expected.y, item.y);
        EXPECT_EQ(expected.cx, item.cx);
        EXPECT_EQ(expected.cy, item.cy);
        EXPECT_EQ(expected.styles, item.style & expected.styles);
        EXPECT_TRUE(item.style & WS_VISIBLE);
        EXPECT_TRUE(item.style & WS_CHILD);
        if (std::wstring(expected.className) == L"Button") {
            EXPECT_EQ(static_cast<uint32_t>(BS_PUSHBUTTON), item.style & BS_TYPEMASK);
        }
    }
    // The picture names bitmap 153.
    const TemplateItem& picture = dialog.items[4];
    ASSERT_TRUE(picture.title.isOrdinal);
    EXPECT_EQ(153, picture.title.ordinal);
}

TEST_P(Resources, AboutBox)
{
    DialogTemplate about = Dialog(100);
    EXPECT_EQ(L"About QuorinTokarium", about.title);
    EXPECT_EQ(170, about.cx);
    EXPECT_EQ(62, about.cy);
    ASSERT_EQ(3u, about.items.size());
    EXPECT_EQ(L"Static", ClassNameOf(about.items[0].windowClass));
    EXPECT_EQ(static_cast<uint32_t>(SS_ICON), about.items[0].style & SS_TYPEMASK);
    ASSERT_TRUE(about.items[0].title.isOrdinal);
    EXPECT_EQ(146, about.items[0].title.ordinal);
    EXPECT_EQ(6, about.items[0].x);
    EXPECT_EQ(10, about.items[0].y);
    EXPECT_EQ(L"QuorinTokarium, Version 1.0", about.items[1].title.text);
    EXPECT_EQ(42, about.items[1].x);
    EXPECT_EQ(14, about.items[1].y);
    EXPECT_EQ(static_cast<uint32_t>(IDOK), about.items[2].id);
    EXPECT_EQ(L"OK", about.items[2].title.text);
    EXPECT_EQ(113, about.items[2].x);
    EXPECT_EQ(41, about.items[2].y);
    EXPECT_EQ(50, about.items[2].cx);
    EXPECT_EQ(14, about.items[2].cy);
}

TEST_P(Resources, OptionsMenu)
{
    HMENU menu = LoadMenuW(m_module, MAKEINTRESOURCEW(140));
    ASSERT_NE(nullptr, menu);
    ASSERT_EQ(1, GetMenuItemCount(menu));
    wchar_t text[64] = L"";
    GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(L"Options", text);
    HMENU options = GetSubMenu(menu, 0);
    ASSERT_NE(nullptr, options);
    ASSERT_EQ(2, GetMenuItemCount(options));
    EXPECT_EQ(32771u, GetMenuItemID(options, 0));
    GetMenuStringW(options, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(L"&Settings", text);
    EXPECT_EQ(32772u, GetMenuItemID(options, 1));
    GetMenuStringW(options, 1, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(L"&About", text);
    DestroyMenu(menu);
}

TEST_P(Resources, AboutString)
{
    wchar_t text[128] = L"";
    ASSERT_GT(LoadStringW(m_module, 101, text, 128), 0);
    EXPECT_STREQ(L"&About QuorinTokarium...", text);
}

TEST_P(Resources, IconsAndLogo)
{
    for (int id : {128, 132, 133, 134, 135, 136, 137, 138, 146}) {
        HICON icon = static_cast<HICON>(LoadImageW(m_module, MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0));
        EXPECT_NE(nullptr, icon) << "icon " << id;
        if (icon)
            DestroyIcon(icon);
    }
    HBITMAP logo = static_cast<HBITMAP>(LoadImageW(m_module, MAKEINTRESOURCEW(153), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(nullptr, logo);
    BITMAP info = {};
    GetObjectW(logo, sizeof info, &info);
    EXPECT_GT(info.bmWidth, 0);
    EXPECT_GT(info.bmHeight, 0);
    DeleteObject(logo);
}

TEST_P(Resources, ManifestAsksForCommonControls6)
{
    std::vector<uint8_t> manifest = Resource(MAKEINTRESOURCEW(24) /* RT_MANIFEST */, MAKEINTRESOURCEW(1));
    ASSERT_FALSE(manifest.empty());
    std::string text(manifest.begin(), manifest.end());
    size_t at = text.find("name=\"Microsoft.Windows.Common-Controls\"");
    ASSERT_NE(std::string::npos, at);
    size_t end = text.find("/>", at);
    std::string identity = text.substr(at, end - at);
    EXPECT_NE(std::string::npos, identity.find("version=\"6.0.0.0\""));
    EXPECT_NE(std::string::npos, identity.find("publicKeyToken=\"6595b64144ccf1df\""));
}

TEST_P(Resources, VersionResource)
{
    std::vector<uint8_t> version = Resource(MAKEINTRESOURCEW(16) /* RT_VERSION */, MAKEINTRESOURCEW(1));
    ASSERT_GE(version.size(), 40u + sizeof(VS_FIXEDFILEINFO));
    // The fixed part follows the "VS_VERSION_INFO" key, aligned to 4 bytes.
    std::wstring key(reinterpret_cast<const wchar_t*>(version.data() + 6), 15);
    EXPECT_EQ(L"VS_VERSION_INFO", key);
    VS_FIXEDFILEINFO fixed;
    memcpy(&fixed, version.data() + 40, sizeof fixed);
    EXPECT_EQ(0xFEEF04BDu, fixed.dwSignature);
    EXPECT_EQ(0x00010000u, fixed.dwFileVersionMS);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed.dwFileType);
}

INSTANTIATE_TEST_SUITE_P(Tokarium, Resources,
                         ::testing::Values(Program{"win64", TOKARIUM_EXE}, Program{"win32", TOKARIUM_WIN32_EXE}),
                         [](const ::testing::TestParamInfo<Program>& info) { return std::string(info.param.name); });

}  // namespace
