// The test helper that reads store files must itself be right.
#include "tests/bundlor/SerializedStore.h"

#include <gtest/gtest.h>

namespace {

void Append32(Bytes& bytes, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

void AppendElement(Bytes& bytes, std::uint32_t id, const Bytes& data)
{
    Append32(bytes, id);
    Append32(bytes, 1);
    Append32(bytes, static_cast<std::uint32_t>(data.size()));
    bytes.insert(bytes.end(), data.begin(), data.end());
}

Bytes Header()
{
    return Bytes{0, 0, 0, 0, 'C', 'E', 'R', 'T'};
}

}  // namespace

TEST(SerializedStore, PropertiesBelongToTheCertificateAfterThem)
{
    Bytes file = Header();
    AppendElement(file, 11, {'a', 0, 0, 0});
    AppendElement(file, 0x8444, {1, 0, 0, 0});
    AppendElement(file, 32, {0x30, 0x00});
    AppendElement(file, 32, {0x30, 0x01, 0x05});
    file.insert(file.end(), 12, 0);
    file.insert(file.end(), {0xDE, 0xAD});   // left over from a longer earlier file

    SerializedStore store = ParseStoreFile(file);
    ASSERT_TRUE(store.valid) << store.problem;
    ASSERT_EQ(store.certificates.size(), 2u);
    EXPECT_EQ(store.certificates[0].encoded, (Bytes{0x30, 0x00}));
    EXPECT_EQ(store.certificates[0].properties.size(), 2u);
    EXPECT_EQ(store.certificates[0].properties.at(0x8444), (Bytes{1, 0, 0, 0}));
    EXPECT_EQ(store.certificates[1].encoded, (Bytes{0x30, 0x01, 0x05}));
    EXPECT_TRUE(store.certificates[1].properties.empty());
}

TEST(SerializedStore, MalformedFilesAreRejected)
{
    Bytes cut = Header();
    AppendElement(cut, 32, {0x30, 0x00});
    cut.resize(cut.size() - 1);

    Bytes noEnd = Header();
    AppendElement(noEnd, 32, {0x30, 0x00});

    Bytes orphan = Header();
    AppendElement(orphan, 11, {0, 0});
    orphan.insert(orphan.end(), 12, 0);

    Bytes badHeader = {1, 0, 0, 0, 'C', 'E', 'R', 'T'};
    badHeader.insert(badHeader.end(), 12, 0);

    for (const Bytes& file : {cut, noEnd, orphan, badHeader, Bytes()})
        EXPECT_FALSE(ParseStoreFile(file).valid);
}
