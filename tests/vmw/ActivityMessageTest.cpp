// Under Wine: activity messages reach a top-level window by their registered
// names, from vmw-broadcast.exe and from korvane.dll started by rundll32.
#include "WindowsHarness.h"

#include <gtest/gtest.h>

#include <string>
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
  std::string Handle() const {
    return std::to_string(static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window_)));
  }
  std::vector<UINT> numbers_;  // IMPORT_START, IMPORT_END, CERTIFICATE_EXPIRING, NEW_DEVICE
  std::vector<std::pair<UINT, LPARAM>> received_;
  HWND window_ = nullptr;
};

// Other tests of the session may broadcast too: look for ours among what came.
bool Contains(const std::vector<std::pair<UINT, LPARAM>>& activity, UINT message, LPARAM lParam) {
  for (const auto& entry : activity) {
    if (entry.first == message && entry.second == lParam) return true;
  }
  return false;
}

TEST_F(ActivityMessageTest, PostedWithADayCountToOneWindow) {
  ASSERT_EQ(RunBeside("vmw-broadcast.exe", "CERTIFICATE_EXPIRING -3 --window " + Handle()), 0);
  Pump(1, 5000);
  EXPECT_TRUE(Contains(Activity(), numbers_[2], -3));
}

TEST_F(ActivityMessageTest, SentByItsFullName) {
  ASSERT_EQ(RunBeside("vmw-broadcast.exe", "WM_QUORIN_MW_ACTIVITY_NEW_DEVICE 7 --send --window " + Handle()), 0);
  Pump(1, 5000);
  EXPECT_TRUE(Contains(Activity(), numbers_[3], 7));
}

TEST_F(ActivityMessageTest, UnknownNamesAreRefused) {
  EXPECT_NE(RunBeside("vmw-broadcast.exe", "IMPORT_MIDDLE"), 0);
  EXPECT_NE(RunBeside("vmw-broadcast.exe", "IMPORT_END twelve"), 0);
  EXPECT_NE(RunBeside("vmw-broadcast.exe", ""), 0);
}

TEST_F(ActivityMessageTest, RegistrationEntryPointBroadcastsStartThenEnd) {
  ASSERT_EQ(RunCommand("rundll32.exe " + ProgramFolder() + "\\korvane.dll,RunImportSequence 100"), 0);
  Pump(2, 5000);
  int start = -1, end = -1, index = 0;
  for (const auto& entry : Activity()) {
    if (entry.first == numbers_[0] && start < 0) start = index;
    if (entry.first == numbers_[1] && start >= 0 && end < 0) end = index;
    ++index;
  }
  EXPECT_GE(start, 0) << "no IMPORT_START";
  EXPECT_GT(end, start) << "no IMPORT_END after IMPORT_START";
}

}  // namespace
}  // namespace vmwtest
