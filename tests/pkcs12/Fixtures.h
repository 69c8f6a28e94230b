#pragma once
// The files of tests/pkcs12/fixtures, built into the test program.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct FixtureFile {
    const char* name;
    const unsigned char* octets;
    size_t size;
};

extern const FixtureFile fixtureFiles[];
extern const size_t fixtureFileCount;

inline bool HasFixture(const std::string& name)
{
    for (size_t i = 0; i < fixtureFileCount; i++)
        if (name == fixtureFiles[i].name)
            return true;
    return false;
}

// The octets of the named file; empty when there is none.
inline std::vector<uint8_t> Fixture(const std::string& name)
{
    for (size_t i = 0; i < fixtureFileCount; i++)
        if (name == fixtureFiles[i].name)
            return std::vector<uint8_t>(fixtureFiles[i].octets, fixtureFiles[i].octets + fixtureFiles[i].size);
    return {};
}

inline std::string FixtureText(const std::string& name)
{
    std::vector<uint8_t> octets = Fixture(name);
    std::string text(octets.begin(), octets.end());
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}
