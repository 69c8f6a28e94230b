#include "tokarium/app/ActivityLog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// 2026-12-09 18:11:45 UTC, a Wednesday.
time_t FixedClock() { return 1796839905; }

class ActivityLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
#ifdef _WIN32
        _putenv("TZ=UTC0");
        _tzset();
#else
        setenv("TZ", "UTC", 1);
        tzset();
#endif
        CActivityLog::s_clock = FixedClock;
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        file = std::string("activity_") + info->name() + ".log";
        std::remove(file.c_str());
        log.SetPath(file.c_str());
        log.SetLevel(4);
    }
    void TearDown() override { std::remove(file.c_str()); }

    std::vector<std::string> Lines() const
    {
        std::ifstream in(file, std::ios::binary);
        std::vector<std::string> lines;
        std::string line;
        while (std::getline(in, line))
            lines.push_back(line);
        return lines;
    }

    std::string RawFile() const
    {
        std::ifstream in(file, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    static std::string WithoutCR(std::string s)
    {
        if (!s.empty() && s.back() == '\r')
            s.pop_back();
        return s;
    }

    CActivityLog log;
    std::string file;
};

TEST_F(ActivityLogTest, ReproducesTheDocumentedRecord)
{
    log.LogError(0, "GetSlotID.", "Error: %x", 0x30u);
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(WithoutCR(lines[0]), "[Wed Dec  9 18:11:45 2026], 1, 0, GetSlotID., Error: 30");
#ifdef _WIN32
    // Text mode: the line ends with CR LF on disk.
    EXPECT_EQ(RawFile().substr(RawFile().size() - 2), "\r\n");
#endif
}

TEST_F(ActivityLogTest, CodeIsUppercaseHexAndMessageKeepsItsFormat)
{
    log.LogError(160, "Login.", "Error: %x", 0xA0u);
    ASSERT_EQ(Lines().size(), 1u);
    EXPECT_EQ(WithoutCR(Lines()[0]), "[Wed Dec  9 18:11:45 2026], 1, A0, Login., Error: a0");
}

TEST_F(ActivityLogTest, EachOperationWritesItsOwnLevel)
{
    log.LogError(1, "E", "e");
    log.LogWarning(2, "W", "w");
    log.LogInfo(3, "I", "i");
    log.LogDebug(0xC0001001u, "D", "d");
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 4u);
    const char* expected[] = {", 1, 1, E, e", ", 2, 2, W, w", ", 3, 3, I, i", ", 4, C0001001, D, d"};
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(WithoutCR(lines[i]).substr(26), expected[i]) << lines[i];
}

TEST_F(ActivityLogTest, ThresholdDropsHigherLevels)
{
    struct Case { int threshold; size_t records; } cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}};
    for (const Case& c : cases) {
        std::remove(file.c_str());
        log.SetLevel(c.threshold);
        log.LogDebug(0, "D", "d");
        log.LogInfo(0, "I", "i");
        log.LogWarning(0, "W", "w");
        log.LogError(0, "E", "e");
        EXPECT_EQ(Lines().size(), c.records) << "threshold " << c.threshold;
    }
}

TEST_F(ActivityLogTest, NullFormatGivesAnEmptyMessage)
{
    log.LogInfo(0, "CCryptoki::Logout", nullptr);
    ASSERT_EQ(Lines().size(), 1u);
    EXPECT_EQ(WithoutCR(Lines()[0]), "[Wed Dec  9 18:11:45 2026], 3, 0, CCryptoki::Logout, ");
}

TEST_F(ActivityLogTest, OverlongMessageIsCutAtTheBuffer)
{
    std::string huge(20000, 'x');
    log.LogError(0, "T", "%s", huge.c_str());
    ASSERT_EQ(Lines().size(), 1u);
    std::string line = WithoutCR(Lines()[0]);
    const std::string prefix = "[Wed Dec  9 18:11:45 2026], 1, 0, T, ";
    ASSERT_EQ(line.compare(0, prefix.size(), prefix), 0);
    EXPECT_EQ(line.size() - prefix.size(), size_t(CActivityLog::MESSAGE_SIZE - 1));
}

TEST_F(ActivityLogTest, EmptyPathWritesNothingAndDeletedFileIsCreatedAgain)
{
    log.SetPath("");
    log.LogError(0, "T", "lost");
    EXPECT_TRUE(Lines().empty());

    log.SetPath(file.c_str());
    log.LogError(0, "T", "one");
    std::remove(file.c_str());
    log.LogError(0, "T", "two");
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(WithoutCR(lines[0]).substr(26), ", 1, 0, T, two");
}

TEST_F(ActivityLogTest, UnopenableFileDropsTheRecordSilently)
{
    log.SetPath("no_such_folder_for_the_log/tokarium.log");
    log.LogError(0, "T", "lost");
    SUCCEED();
}

TEST(ActivityLogDefaults, StartsWithThresholdOneAndNoPath)
{
    CActivityLog fresh;
    EXPECT_EQ(fresh.GetLevel(), 1);
    EXPECT_STREQ(fresh.GetPath(), "");
}

TEST(ActivityLogPath, IsBuiltFromAppdata)
{
    char out[CActivityLog::PATH_SIZE];
    ASSERT_TRUE(MakeLogPath("C:\\Users\\name\\AppData\\Roaming", out, sizeof out));
    EXPECT_STREQ(out, "C:\\Users\\name\\AppData\\Roaming\\tokarium.log");

    EXPECT_FALSE(MakeLogPath(nullptr, out, sizeof out));
    EXPECT_STREQ(out, "");
    EXPECT_FALSE(MakeLogPath("", out, sizeof out));

    std::string longest(259 - 13, 'd'), tooLong(260 - 13, 'd');
    EXPECT_TRUE(MakeLogPath(longest.c_str(), out, sizeof out));
    EXPECT_EQ(std::string(out).size(), 259u);
    EXPECT_FALSE(MakeLogPath(tooLong.c_str(), out, sizeof out));
}

TEST(ActivityLogTime, AsctimeFormPadsTheDay)
{
    struct tm t = {};
    t.tm_year = 2026 - 1900; t.tm_mon = 0; t.tm_mday = 5; t.tm_wday = 1;
    t.tm_hour = 7; t.tm_min = 3; t.tm_sec = 9;
    char out[25];
    FormatAsctime(t, out);
    EXPECT_STREQ(out, "Mon Jan  5 07:03:09 2026");
    t.tm_mday = 25;
    FormatAsctime(t, out);
    EXPECT_STREQ(out, "Mon Jan 25 07:03:09 2026");
}

}  // namespace
