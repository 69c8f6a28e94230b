#include "tokarium/asn1/ASN1Object.h"

#include <cstring>
#include <utility>

namespace {

enum { INDEFINITE_LENGTH = 0x80, MAX_LENGTH_OCTETS = 4 };

[[noreturn]] void throwParsing() { throw new CASN1ParsingException(); }

// Writes the length octets of the DER form; returns how many.
uint32_t writeLength(unsigned char* out, uint32_t length)
{
    if (length < 128) {
        out[0] = static_cast<unsigned char>(length);
        return 1;
    }
    uint32_t n = derLengthOctets(length) - 1;
    out[0] = static_cast<unsigned char>(0x80 + n);
    for (uint32_t i = 0; i < n; ++i)
        out[1 + i] = static_cast<unsigned char>(length >> (8 * (n - 1 - i)));
    return n + 1;
}

}  // namespace

uint32_t derLengthOctets(uint32_t contentLength)
{
    if (contentLength < 128)
        return 1;
    uint32_t n = 1;
    while (n < 4 && (contentLength >> (8 * n)) != 0)
        ++n;
    return n + 1;
}

CASN1Object::CASN1Object(unsigned char tagIn) : tag(tagIn) {}

CASN1Object::CASN1Object(const CASN1Object& other) : tag(other.getTag())
{
    content.append(other.content);
}

CASN1Object::CASN1Object(CASN1Object&& other) noexcept : tag(other.getTag()), content(std::move(other.content)) {}

CASN1Object& CASN1Object::operator=(const CASN1Object& other)
{
    if (this != &other) {
        tag = other.getTag();
        content = other.content;
    }
    return *this;
}

CASN1Object& CASN1Object::operator=(CASN1Object&& other) noexcept
{
    if (this != &other) {
        tag = other.getTag();
        content = std::move(other.content);
    }
    return *this;
}

CASN1Object::CASN1Object(unsigned char tagIn, CByteArray&& contentIn) : tag(tagIn), content(std::move(contentIn)) {}

CASN1Object::CASN1Object(unsigned char tagIn, CASN1Object&& source) : tag(tagIn), content(std::move(source.content)) {}

CASN1Object::CASN1Object(CByteStream& stream) : tag(0)
{
    parse(stream, tag, &content, 0);
}

CASN1Object::CASN1Object(const CByteArray& bytes) : tag(0)
{
    CByteStream stream(bytes);
    parse(stream, tag, &content, 0);
}

CASN1Object::CASN1Object(const unsigned char* bytes, uint32_t n) : tag(0)
{
    CByteStream stream(bytes, n);
    parse(stream, tag, &content, 0);
}

CASN1Object::~CASN1Object() {}

unsigned char CASN1Object::getTag() const { return tag; }

void CASN1Object::setContent(const CByteArray& newContent)
{
    if (&newContent == &content)
        return;
    content.clear();
    content.append(newContent);
}

uint32_t CASN1Object::getEncodedLength() const
{
    uint32_t length = content.getSize();
    return length + 1 + derLengthOctets(length);
}

void CASN1Object::encode(CByteArray& out) const
{
    unsigned char header[1 + 1 + MAX_LENGTH_OCTETS];
    header[0] = getTag();
    uint32_t headerSize = 1 + writeLength(header + 1, content.getSize());
    if (content.getSize() > UINT32_MAX - headerSize)
        throw CByteArray::kOutOfMemory;
    // One append of the whole encoding, as the growth rule expects.
    unsigned char* to = out.extend(headerSize + content.getSize());
    memcpy(to, header, headerSize);
    if (content.getSize() != 0)
        memcpy(to + headerSize, content.getData(), content.getSize());
}

bool CASN1Object::equals(const CASN1Object& other) const
{
    return getTag() == other.getTag() && content.getSize() == other.content.getSize()
        && (content.getSize() == 0 || memcmp(content.getData(), other.content.getData(), content.getSize()) == 0);
}

uint32_t CASN1Object::readLength(CByteStream& stream, bool& indefinite)
{
    unsigned char first;
    if (stream.read(&first, 1) != 1)
        throwParsing();
    indefinite = first == INDEFINITE_LENGTH;
    if (indefinite || first < 0x80)
        return first;
    uint32_t count = first & 0x7F;
    // A length is a 32-bit quantity: more length octets cannot be meant.
    if (count > MAX_LENGTH_OCTETS)
        throwParsing();
    unsigned char octets[MAX_LENGTH_OCTETS];
    if (stream.read(octets, count) != count)
        throwParsing();
    uint32_t length = 0;
    for (uint32_t i = 0; i < count; ++i)
        length = length << 8 | octets[i];
    return length;
}

void CASN1Object::parse(CByteStream& stream, unsigned char& tag, CByteArray* content, int depth)
{
    if (stream.read(&tag, 1) != 1)
        throw new CASN1ObjectNotFoundException();
    bool indefinite = false;
    uint32_t length = readLength(stream, indefinite);
    if (indefinite) {
        if (!content) {
            parseIndefinite(stream, nullptr, depth + 1);
            return;
        }
        CByteArray children;
        parseIndefinite(stream, &children, depth + 1);
        *content = std::move(children);
        return;
    }
    // Checked before allocating, so a hostile length costs nothing.
    if (length > stream.remaining())
        throwParsing();
    if (content)
        *content = CByteArray(stream.current(), length);
    stream.skip(length);
}

void CASN1Object::parseIndefinite(CByteStream& stream, CByteArray* content, int depth)
{
    if (depth > MAX_INDEFINITE_DEPTH)
        throwParsing();
    for (;;) {
        if (stream.remaining() < 2)
            throwParsing();
        const unsigned char* next = stream.current();
        if (next[0] == 0 && next[1] == 0) {
            stream.skip(2);
            return;
        }
        unsigned char childTag = 0;
        if (!content) {
            parse(stream, childTag, nullptr, depth);
            continue;
        }
        CByteArray childContent;
        parse(stream, childTag, &childContent, depth);
        CASN1Object(childTag, std::move(childContent)).encode(*content);
    }
}

void CASN1Object::skipValue(CByteStream& stream)
{
    unsigned char tag = 0;
    parse(stream, tag, nullptr, 0);
}
