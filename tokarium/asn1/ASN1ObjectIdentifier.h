#pragma once
// OBJECT IDENTIFIER: converted between its DER content and dotted text, and
// compared by content alone.

#include "tokarium/asn1/ASN1Object.h"

class CASN1ObjectIdentifier : public CASN1Object {
public:
    enum { TAG = 0x06, MAX_CONTENT = 256 };

    explicit CASN1ObjectIdentifier(CASN1Object source);
    // From a constant such as "2.5.29.19". Throws the int -1 when the first two
    // arcs combine to more than 255, when there are fewer than two arcs, an arc
    // is negative or beyond 32 bits, or the content would exceed 256 octets.
    explicit CASN1ObjectIdentifier(const char* dottedText);

    // Appends the dotted text and a NUL.
    void toString(CByteArray& out) const;
    // Same content length and octets; the tags are not looked at.
    bool matches(const CASN1ObjectIdentifier& other) const;
};
