// CDialog from a template of this executable: modeless creation, data exchange,
// and the modal loop driven from inside by a timer.
#include "platform/framework/Controls.h"
#include "platform/framework/Dialog.h"
#include "platform/framework/WinApp.h"
#include "tests/framework/FrameworkTestIds.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

class SampleDialog : public CDialog {
public:
    explicit SampleDialog(CWnd* parent = nullptr) : CDialog(IDD_SAMPLE, parent) {}

    std::wstring text = L"initial";
    int checked = 1;
    int choice = 1;
    CComboBox combo;
    std::function<void(SampleDialog&)> onTimer;
    std::vector<UINT> keyUps;
    bool initialised = false;

    BOOL OnInitDialog() override
    {
        CDataExchange bind(this, FALSE);
        DDX_Control(&bind, IDC_SAMPLE_COMBO, combo);
        combo.AddString(L"FAST");
        combo.AddString(L"NORMAL");
        CDialog::OnInitDialog();
        initialised = true;
        if (onTimer)
            SetTimer(1, 10);
        return TRUE;
    }
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Text(dx, IDC_SAMPLE_EDIT, text);
        DDX_Check(dx, IDC_SAMPLE_CHECK, checked);
        DDX_CBIndex(dx, IDC_SAMPLE_COMBO, choice);
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_TIMER && wParam == 1) {
            KillTimer(1);
            onTimer(*this);
            return 0;
        }
        return CDialog::WindowProc(message, wParam, lParam);
    }
    BOOL PreTranslateMessage(MSG* message) override
    {
        if (message->message == WM_KEYUP)
            keyUps.push_back(static_cast<UINT>(message->wParam));
        return CDialog::PreTranslateMessage(message);
    }

};

TEST(FrameworkDialog, ModelessDialogFromTemplateExchangesData)
{
    SampleDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_SAMPLE));
    EXPECT_TRUE(dialog.initialised);
    EXPECT_EQ(L"Framework Sample", dialog.GetWindowTextW());
    // Variables went into the controls at initialisation.
    EXPECT_EQ(L"initial", dialog.GetDlgItemTextW(IDC_SAMPLE_EDIT));
    EXPECT_EQ(BST_CHECKED, SendMessageW(dialog.GetDlgItem(IDC_SAMPLE_CHECK), BM_GETCHECK, 0, 0));
    EXPECT_EQ(1, dialog.combo.GetCurSel());
    EXPECT_EQ(L"NORMAL", dialog.combo.GetLBText(1));
    // And back.
    SetWindowTextW(dialog.GetDlgItem(IDC_SAMPLE_EDIT), L"typed");
    SendMessageW(dialog.GetDlgItem(IDC_SAMPLE_CHECK), BM_SETCHECK, BST_UNCHECKED, 0);
    dialog.combo.SetCurSel(0);
    ASSERT_TRUE(dialog.UpdateData(TRUE));
    EXPECT_EQ(L"typed", dialog.text);
    EXPECT_EQ(0, dialog.checked);
    EXPECT_EQ(0, dialog.choice);
    dialog.DestroyWindow();
    EXPECT_EQ(nullptr, dialog.m_hWnd);
}

TEST(FrameworkDialog, ModalOkSavesTheControls)
{
    SampleDialog dialog;
    dialog.onTimer = [](SampleDialog& d) {
        SetWindowTextW(d.GetDlgItem(IDC_SAMPLE_EDIT), L"from the loop");
        PostMessageW(d.GetDlgItem(IDOK), BM_CLICK, 0, 0);
    };
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(L"from the loop", dialog.text);
    EXPECT_EQ(nullptr, dialog.m_hWnd);
}

TEST(FrameworkDialog, ModalCancelLeavesTheVariables)
{
    SampleDialog dialog;
    dialog.onTimer = [](SampleDialog& d) {
        SetWindowTextW(d.GetDlgItem(IDC_SAMPLE_EDIT), L"discarded");
        PostMessageW(d.m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    };
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_EQ(L"initial", dialog.text);
}

TEST(FrameworkDialog, CloseBoxCancels)
{
    SampleDialog dialog;
    dialog.onTimer = [](SampleDialog& d) { PostMessageW(d.m_hWnd, WM_CLOSE, 0, 0); };
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
}

TEST(FrameworkDialog, ModalLoopPreTranslatesChildMessages)
{
    SampleDialog dialog;
    dialog.onTimer = [](SampleDialog& d) {
        PostMessageW(d.GetDlgItem(IDC_SAMPLE_EDIT), WM_KEYUP, 'A', 0);
        PostMessageW(d.GetDlgItem(IDC_SAMPLE_CHECK), WM_KEYUP, 'Q', 0);
        PostMessageW(d.m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    };
    dialog.DoModal();
    EXPECT_EQ((std::vector<UINT>{'A', 'Q'}), dialog.keyUps);
}

TEST(FrameworkDialog, OwnerIsDisabledWhileModal)
{
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, static_cast<const wchar_t*>(nullptr), L"owner", WS_OVERLAPPEDWINDOW, 0, 0,
                               100, 100, nullptr, nullptr));
    SampleDialog dialog(&owner);
    BOOL enabledDuring = TRUE;
    HWND dialogOwner = nullptr;
    dialog.onTimer = [&](SampleDialog& d) {
        enabledDuring = owner.IsWindowEnabled();
        dialogOwner = GetWindow(d.m_hWnd, GW_OWNER);
        d.EndDialog(7);
    };
    EXPECT_EQ(7, dialog.DoModal());
    EXPECT_FALSE(enabledDuring);
    EXPECT_EQ(owner.m_hWnd, dialogOwner);
    EXPECT_TRUE(owner.IsWindowEnabled());
}

TEST(FrameworkDialog, MissingTemplateGivesMinusOne)
{
    CDialog dialog(9999);
    EXPECT_EQ(-1, dialog.DoModal());
}

// The box of AfxMessageBox, read and answered from a second thread.
struct BoxSeen {
    HWND owner = nullptr;
    HICON icon = nullptr;
};

BoxSeen AnswerBox(const wchar_t* caption)
{
    BoxSeen seen;
    for (int i = 0; i < 250; ++i) {
        HWND box = FindWindowW(L"#32770", caption);
        if (box && IsWindowVisible(box)) {
            seen.owner = GetWindow(box, GW_OWNER);
            for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
                if ((GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
                    seen.icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            break;
        }
        Sleep(20);
    }
    return seen;
}

TEST(FrameworkDialog, AppMessageBoxIsOwnedByTheModalDialogInFront)
{
    CWinApp app(L"boxes");
    CWnd main;
    ASSERT_TRUE(main.CreateEx(0, static_cast<const wchar_t*>(nullptr), L"main", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                              100, nullptr, nullptr));
    app.m_pMainWnd = &main;
    SampleDialog dialog(&main);
    int answer = 0;
    HWND dialogWindow = nullptr;
    BoxSeen seen;
    dialog.onTimer = [&](SampleDialog& d) {
        dialogWindow = d.m_hWnd;
        std::thread reader([&] { seen = AnswerBox(L"boxes"); });
        answer = AfxMessageBox(L"hello");
        reader.join();
        d.EndDialog(IDOK);
    };
    dialog.DoModal();
    app.m_pMainWnd = nullptr;
    EXPECT_EQ(IDOK, answer);
    EXPECT_EQ(dialogWindow, seen.owner);
    EXPECT_EQ(LoadIconA(nullptr, IDI_EXCLAMATION), seen.icon);
}

}  // namespace
