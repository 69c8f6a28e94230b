// Files for bundlor's tests: the certificates made by make-fixtures.sh, and a
// fresh folder per test case.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// "<folder>/<name>" in the fixture folder, as a Windows path.
std::string FixturePath(const std::string& name);
Bytes Fixture(const std::string& name);

// The SHA-1 of a fixture certificate in upper-case hexadecimal, as OpenSSL gave it.
std::string Fingerprint(const std::string& name);

// An empty folder for the running test case; returns its path.
std::string FreshScratchFolder();

Bytes ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const Bytes& bytes);
bool FileExists(const std::string& path);

// True when nobody else holds the file open: an exclusive open succeeds.
bool NobodyHoldsFile(const std::string& path);

// UTF-16LE of ASCII text with its terminating zero.
Bytes Utf16WithZero(const std::string& ascii);
