#include "tests/bundlor/TestFiles.h"

#include <windows.h>

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

std::string FixturePath(const std::string& name)
{
    return std::string(BUNDLOR_FIXTURES) + "/" + name;
}

Bytes Fixture(const std::string& name)
{
    Bytes bytes = ReadFileBytes(FixturePath(name));
    EXPECT_FALSE(bytes.empty()) << "fixture " << name;
    return bytes;
}

std::string Fingerprint(const std::string& name)
{
    std::ifstream list(FixturePath("fingerprints.txt"));
    std::string file, fingerprint;
    while (list >> file >> fingerprint)
        if (file == name)
            return fingerprint;
    ADD_FAILURE() << "no fingerprint for " << name;
    return std::string();
}

namespace {

void EmptyFolder(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "/*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = folder + "/" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            EmptyFolder(path);
            RemoveDirectoryA(path.c_str());
        } else {
            DeleteFileA(path.c_str());
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

}  // namespace

std::string FreshScratchFolder()
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "." + test->name();
    for (char& c : name)
        if (c == '/')
            c = '_';
    std::string root = BUNDLOR_SCRATCH;
    CreateDirectoryA(root.c_str(), nullptr);
    std::string folder = root + "/" + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    EmptyFolder(folder);
    return folder;
}

Bytes ReadFileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    std::string text = content.str();
    return Bytes(text.begin(), text.end());
}

bool WriteFileBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool NobodyHoldsFile(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

Bytes Utf16WithZero(const std::string& ascii)
{
    Bytes bytes;
    for (char c : ascii) {
        bytes.push_back(static_cast<std::uint8_t>(c));
        bytes.push_back(0);
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}
