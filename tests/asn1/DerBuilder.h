#pragma once
// Test inputs written out by hand: a TLV builder over octet strings, kept
// apart from the library so the inputs do not come from the code under test.

#include <string>

namespace asn1test {

inline std::string Tlv(unsigned char tag, const std::string& content)
{
    std::string out(1, static_cast<char>(tag));
    size_t n = content.size();
    if (n < 128) {
        out += static_cast<char>(n);
    } else if (n < 256) {
        out += '\x81';
        out += static_cast<char>(n);
    } else {
        out += '\x82';
        out += static_cast<char>(n >> 8);
        out += static_cast<char>(n & 0xFF);
    }
    return out + content;
}

inline std::string FromHex(const std::string& hex)
{
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

// One AttributeTypeAndValue; typeHex is the identifier's content.
inline std::string Attribute(const std::string& typeHex, unsigned char valueTag, const std::string& value)
{
    return Tlv(0x30, Tlv(0x06, FromHex(typeHex)) + Tlv(valueTag, value));
}

inline std::string Rdn(const std::string& attributes) { return Tlv(0x31, attributes); }

const char kCN[] = "550403";
const char kSN[] = "550404";
const char kC[] = "550406";
const char kO[] = "55040A";
const char kEmail[] = "2A864886F70D010901";
const char kOrganizationIdentifier[] = "550461";  // 2.5.4.97, not in the label table

const unsigned char PRINTABLE = 0x13, IA5 = 0x16, UTF8 = 0x0C, BMP = 0x1E;

}  // namespace asn1test
