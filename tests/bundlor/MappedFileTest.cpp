#include "bundlor/MappedFile.h"

#include "tests/bundlor/TestFiles.h"

#include <gtest/gtest.h>

TEST(MappedFile, MapsTheWholeFileAndReleasesItWhenGone)
{
    std::string path = FreshScratchFolder() + "/leaf.der";
    Bytes expected = Fixture("leaf.der");
    ASSERT_TRUE(WriteFileBytes(path, expected));
    {
        CMappedFile file;
        ASSERT_EQ(file.Open(path.c_str()), S_OK);
        ASSERT_EQ(file.Map(), S_OK);
        ASSERT_EQ(file.Size(), expected.size());
        EXPECT_EQ(Bytes(file.Data(), file.Data() + file.Size()), expected);
        EXPECT_FALSE(NobodyHoldsFile(path));   // the check can see a held file
    }
    EXPECT_TRUE(NobodyHoldsFile(path));
}

TEST(MappedFile, FailuresReportTheirCodeAndReleaseWhatWasCreated)
{
    std::string folder = FreshScratchFolder();
    CMappedFile missing;
    EXPECT_EQ(static_cast<DWORD>(missing.Open((folder + "/none.der").c_str())), 0x80070002u);

    std::string empty = folder + "/empty.der";
    ASSERT_TRUE(WriteFileBytes(empty, Bytes()));
    {
        CMappedFile file;
        ASSERT_EQ(file.Open(empty.c_str()), S_OK);
        EXPECT_EQ(static_cast<DWORD>(file.Map()), 0x800703EEu);   // ERROR_FILE_INVALID
    }
    EXPECT_TRUE(NobodyHoldsFile(empty));
}
