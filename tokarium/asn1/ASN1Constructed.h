#pragma once
// Constructed values keep their children encoded in the content and remember
// only where each child starts; getChild parses a child afresh every time.

#include "tokarium/asn1/ASN1Object.h"

#include <cstdint>
#include <vector>

class CASN1Constructed : public CASN1Object {
public:
    explicit CASN1Constructed(unsigned char tag);
    // A view of source with its own tag kept.
    explicit CASN1Constructed(CASN1Object source);
    explicit CASN1Constructed(CByteStream& stream);
    explicit CASN1Constructed(const CByteArray& bytes);
    CASN1Constructed(const unsigned char* bytes, uint32_t n);

    int getChildCount() const { return childCount; }
    // A new object parsed from child i; an index outside the children throws
    // CASN1ParsingException.
    CASN1Object getChild(int i) const;
    void addChild(const CASN1Object& child);
    // Replaces the content and finds the children again.
    void setContent(const CByteArray& newContent);

protected:
    CASN1Constructed(unsigned char tag, CASN1Object&& source);
    void computeChildOffsets();

private:
    std::vector<uint32_t> childOffsets;
    int childCount;
};

class CASN1Sequence : public CASN1Constructed {
public:
    enum { TAG = 0x30 };

    CASN1Sequence();
    // A view of source with the tag 0x30, whatever source's tag was.
    explicit CASN1Sequence(CASN1Object source);
    explicit CASN1Sequence(CByteStream& stream);
    // These two keep the parsed tag.
    explicit CASN1Sequence(const CByteArray& bytes);
    CASN1Sequence(const unsigned char* bytes, uint32_t n);

protected:
    CASN1Sequence(unsigned char tag, CASN1Object&& source);
};

class CASN1Set : public CASN1Constructed {
public:
    enum { TAG = 0x31 };

    explicit CASN1Set(CASN1Object source);
};
