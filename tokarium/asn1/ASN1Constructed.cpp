#include "tokarium/asn1/ASN1Constructed.h"

#include <utility>

CASN1Constructed::CASN1Constructed(unsigned char tag) : CASN1Object(tag), childCount(0) {}

CASN1Constructed::CASN1Constructed(CASN1Object source) : CASN1Object(std::move(source)), childCount(0)
{
    computeChildOffsets();
}

CASN1Constructed::CASN1Constructed(unsigned char tag, CASN1Object&& source)
    : CASN1Object(tag, std::move(source)), childCount(0)
{
    computeChildOffsets();
}

CASN1Constructed::CASN1Constructed(CByteStream& stream) : CASN1Object(stream), childCount(0)
{
    computeChildOffsets();
}

CASN1Constructed::CASN1Constructed(const CByteArray& bytes) : CASN1Object(bytes), childCount(0)
{
    computeChildOffsets();
}

CASN1Constructed::CASN1Constructed(const unsigned char* bytes, uint32_t n) : CASN1Object(bytes, n), childCount(0)
{
    computeChildOffsets();
}

void CASN1Constructed::computeChildOffsets()
{
    childOffsets.clear();
    childCount = 0;
    const CByteArray& content = getContent();
    CByteStream stream(content);
    while (stream.remaining() != 0) {
        uint32_t offset = stream.tell();
        // The stream moves past the child as it was written, which is not
        // its re-encoded length when the child used an indefinite length.
        skipValue(stream);
        childOffsets.push_back(offset);
        ++childCount;
    }
}

CASN1Object CASN1Constructed::getChild(int i) const
{
    if (i < 0 || i >= childCount)
        throw new CASN1ParsingException();
    const CByteArray& content = getContent();
    uint32_t offset = childOffsets[static_cast<size_t>(i)];
    // The content may have been changed through getContent since the
    // offsets were taken.
    if (offset >= content.getSize())
        throw new CASN1ParsingException();
    return CASN1Object(content.getData() + offset, content.getSize() - offset);
}

void CASN1Constructed::addChild(const CASN1Object& child)
{
    CByteArray encoding;
    child.encode(encoding);
    CByteArray combined(getContent());
    combined.append(encoding);
    setContent(combined);
}

void CASN1Constructed::setContent(const CByteArray& newContent)
{
    CASN1Object::setContent(newContent);
    computeChildOffsets();
}

CASN1Sequence::CASN1Sequence() : CASN1Constructed(TAG) {}

CASN1Sequence::CASN1Sequence(CASN1Object source) : CASN1Constructed(TAG, std::move(source)) {}

CASN1Sequence::CASN1Sequence(unsigned char tag, CASN1Object&& source) : CASN1Constructed(tag, std::move(source)) {}

CASN1Sequence::CASN1Sequence(CByteStream& stream) : CASN1Constructed(TAG, CASN1Object(stream)) {}

CASN1Sequence::CASN1Sequence(const CByteArray& bytes) : CASN1Constructed(bytes) {}

CASN1Sequence::CASN1Sequence(const unsigned char* bytes, uint32_t n) : CASN1Constructed(bytes, n) {}

CASN1Set::CASN1Set(CASN1Object source) : CASN1Constructed(TAG, std::move(source)) {}
