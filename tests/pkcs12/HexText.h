#pragma once
// Hexadecimal text to octets and back, for writing expected values in tests.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

inline std::vector<uint8_t> FromHex(const std::string& text)
{
    std::vector<uint8_t> octets;
    std::string digits;
    for (char c : text)
        if (c != ' ')
            digits += c;
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        octets.push_back(uint8_t(std::stoul(digits.substr(i, 2), nullptr, 16)));
    return octets;
}

inline std::string ToHex(const uint8_t* octets, size_t n)
{
    std::string text;
    char pair[3];
    for (size_t i = 0; i < n; i++) {
        std::snprintf(pair, sizeof pair, "%02X", octets[i]);
        text += pair;
    }
    return text;
}

inline std::string ToHex(const std::vector<uint8_t>& octets)
{
    return ToHex(octets.data(), octets.size());
}
