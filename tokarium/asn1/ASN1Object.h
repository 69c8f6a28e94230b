#pragma once
// One ASN.1 value: a one-octet tag and its content octets. Parsing accepts
// definite lengths and BER indefinite lengths; encoding always writes DER
// definite lengths.

#include "tokarium/asn1/ByteArray.h"
#include "tokarium/asn1/ByteStream.h"
#include "tokarium/asn1/ASN1Exception.h"

#include <cstdint>

class CASN1Object {
public:
    // Indefinite lengths may nest this deep; deeper input is rejected.
    enum { MAX_INDEFINITE_DEPTH = 64 };

    explicit CASN1Object(unsigned char tag);
    CASN1Object(const CASN1Object& other);
    CASN1Object(CASN1Object&& other) noexcept;
    CASN1Object& operator=(const CASN1Object& other);
    CASN1Object& operator=(CASN1Object&& other) noexcept;
    // Each reads exactly one value and leaves what follows it unread.
    explicit CASN1Object(CByteStream& stream);
    explicit CASN1Object(const CByteArray& bytes);
    CASN1Object(const unsigned char* bytes, uint32_t n);
    virtual ~CASN1Object();

    virtual unsigned char getTag() const;

    CByteArray& getContent() { return content; }
    const CByteArray& getContent() const { return content; }
    uint32_t getContentLength() const { return content.getSize(); }
    void setContent(const CByteArray& newContent);

    uint32_t getEncodedLength() const;
    void encode(CByteArray& out) const;
    bool equals(const CASN1Object& other) const;

    // Moves the stream past one value, checked as a parse would check it,
    // without keeping its content.
    static void skipValue(CByteStream& stream);

protected:
    CASN1Object(unsigned char tag, CByteArray&& content);
    // Views share this: the given tag with the source's content, taken over.
    CASN1Object(unsigned char tag, CASN1Object&& source);

private:
    // content null: the value is only checked and passed over.
    static void parse(CByteStream& stream, unsigned char& tag, CByteArray* content, int depth);
    static void parseIndefinite(CByteStream& stream, CByteArray* content, int depth);
    static uint32_t readLength(CByteStream& stream, bool& indefinite);

    unsigned char tag;
    CByteArray content;
};

// Octets needed for the length of a content of this size.
uint32_t derLengthOctets(uint32_t contentLength);
