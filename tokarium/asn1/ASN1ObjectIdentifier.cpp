#include "tokarium/asn1/ASN1ObjectIdentifier.h"

#include <cstring>
#include <utility>
#include <vector>

namespace {

[[noreturn]] void throwBadIdentifier() { throw int(-1); }

// Decimal text to a number as atoi reads it: leading white space, a sign, the
// leading digits, 0 when there are none. Negative or over-long arcs are refused.
uint32_t arcValue(const char* text, size_t length)
{
    size_t i = 0;
    while (i < length && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < length && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    uint64_t value = 0;
    for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + static_cast<uint64_t>(text[i] - '0');
        if (value > UINT32_MAX)
            throwBadIdentifier();
    }
    if (negative && value != 0)
        throwBadIdentifier();
    return static_cast<uint32_t>(value);
}

std::vector<uint32_t> splitArcs(const char* dottedText)
{
    std::vector<uint32_t> arcs;
    const char* part = dottedText;
    for (;;) {
        const char* dot = strchr(part, '.');
        size_t length = dot ? static_cast<size_t>(dot - part) : strlen(part);
        arcs.push_back(arcValue(part, length));
        if (!dot)
            return arcs;
        part = dot + 1;
    }
}

void appendBase128(CByteArray& out, uint32_t value)
{
    unsigned char groups[5];
    int count = 0;
    do {
        groups[count++] = static_cast<unsigned char>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1)
        out.pushBack(static_cast<unsigned char>(groups[--count] | 0x80));
    out.pushBack(groups[0]);
}

void appendDecimal(CByteArray& out, uint64_t value)
{
    char digits[21];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count > 0)
        out.pushBack(static_cast<unsigned char>(digits[--count]));
}

}  // namespace

CASN1ObjectIdentifier::CASN1ObjectIdentifier(CASN1Object source) : CASN1Object(std::move(source)) {}

CASN1ObjectIdentifier::CASN1ObjectIdentifier(const char* dottedText) : CASN1Object(TAG)
{
    if (!dottedText)
        throwBadIdentifier();
    std::vector<uint32_t> arcs = splitArcs(dottedText);
    if (arcs.size() < 2)
        throwBadIdentifier();
    uint64_t first = static_cast<uint64_t>(arcs[0]) * 40 + arcs[1];
    if (first > 255)
        throwBadIdentifier();
    CByteArray encoded;
    appendBase128(encoded, static_cast<uint32_t>(first));
    for (size_t i = 2; i < arcs.size(); ++i) {
        appendBase128(encoded, arcs[i]);
        if (encoded.getSize() > MAX_CONTENT)
            throwBadIdentifier();
    }
    setContent(encoded);
}

void CASN1ObjectIdentifier::toString(CByteArray& out) const
{
    const unsigned char* octets = getContent().getData();
    // 64 bits hold every arc of 32 bits and more; longer ones wrap.
    uint64_t value = 0;
    bool first = true;
    for (uint32_t i = 0; i < getContentLength(); ++i) {
        value = value << 7 | (octets[i] & 0x7F);
        if (octets[i] & 0x80)
            continue;
        if (first) {
            uint64_t q = value / 40;
            char root = q == 0 ? '0' : q == 1 ? '1' : '2';
            value -= q == 0 ? 0 : q == 1 ? 40 : 80;
            out.pushBack(static_cast<unsigned char>(root));
            first = false;
        }
        out.pushBack('.');
        appendDecimal(out, value);
        value = 0;
    }
    out.pushBack('\0');
}

bool CASN1ObjectIdentifier::matches(const CASN1ObjectIdentifier& other) const
{
    uint32_t length = getContentLength();
    return length == other.getContentLength()
        && (length == 0 || memcmp(getContent().getData(), other.getContent().getData(), length) == 0);
}
