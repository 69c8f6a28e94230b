// Under Wine: activity messages reach a top-level window by their registered
// names, from vmw-broadcast.exe and from korvane.dll started by rundll32.
#include "WindowsHarness.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace vmwtest {
namespace {

std::vector<std::pair<UINT, LPARAM>>* g_received = nullptr;
UINT g_first = 0, g_last = 0;

LRESULT CALLBACK Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_received && message >= 0xC000 && message >= g_first && message <= g_last)
    g_received->push_back({message, lParam});
  return DefWindowProcA(window, message, wParam, lParam);
}

class ActivityMessageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"IMPORT_START", "IMPORT_END", "CERTIFICATE_EXPIRING", "NEW_DEVICE"})
      numbers_.push_back(RegisterWindowMessageA((std::string("WM_QUORIN_MW_ACTIVITY_") + name).c_str()));
    g_first = 0xC000;
    g_last = 0xFFFF;
    g_received = &received_;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = Record;
    windowClass.lpszClassName = "vmw_activity_listener";
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(0, "vmw_activity_listener", "listener", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10,
                              nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(window_);
    g_received = nullptr;
  }
  // Serves the window until `count` activity messages came or the time is up.
  void Pump(std::size_t count, DWORD milliseconds) {
    const DWORD started = GetTickCount();
    while (Activity().size() < count && GetTickCount() - started < milliseconds) {
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
      Sleep(20);
    }
  }
  std::vector<std::pair<UINT, LPARAM>> Activity() {
    std::vector<std::pair<UINT, LPARAM>> ours;
    for (const auto& entry : received_) {
      for (UINT number : numbers_) {
        if (entry.first == number) ours.push_back(entry);
      }
    }
    return ours;
  }
  std::vector<UINT> numbers_;  // IMPORT_START, IMPORT_END, CERTIFICATE_EXPIRING, NEW_DEVICE
  std::vector<std::pair<UINT, LPARAM>> received_;
  HWND window_ = nullptr;
};

TEST_F(ActivityMessageTest, BroadcastWithADayCount) {
  ASSERT_EQ(RunBeside("vmw-broadcast.exe", "CERTIFICATE_EXPIRING -3"), 0);
  Pump(1, 5000);
  ASSERT_EQ(Activity().size(), 1u);
  EXPECT_EQ(Activity()[0].first, numbers_[2]);
  EXPECT_EQ(Activity()[0].second, -3);
}

TEST_F(ActivityMessageTest, SentToOneWindowByItsFullName) {
  char handle[32];
  wsprintfA(handle, "%lu", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window_)));
  ASSERT_EQ(RunBeside("vmw-broadcast.exe", std::string("WM_QUORIN_MW_ACTIVITY_NEW_DEVICE --window ") + handle), 0);
  Pump(1, 5000);
  ASSERT_EQ(Activity().size(), 1u);
  EXPECT_EQ(Activity()[0].first, numbers_[3]);
}

TEST_F(ActivityMessageTest, UnknownNamesAreRefused) {
  EXPECT_NE(RunBeside("vmw-broadcast.exe", "IMPORT_MIDDLE"), 0);
  EXPECT_NE(RunBeside("vmw-broadcast.exe", "IMPORT_END twelve"), 0);
  EXPECT_NE(RunBeside("vmw-broadcast.exe", ""), 0);
}

TEST_F(ActivityMessageTest, RegistrationEntryPointAnnouncesStartThenEnd) {
  ASSERT_EQ(RunCommand("rundll32.exe " + ProgramFolder() + "\\korvane.dll,RunImportSequence 100"), 0);
  Pump(2, 5000);
  auto activity = Activity();
  ASSERT_EQ(activity.size(), 2u);
  EXPECT_EQ(activity[0].first, numbers_[0]);
  EXPECT_EQ(activity[1].first, numbers_[1]);
}

}  // namespace
}  // namespace vmwtest
