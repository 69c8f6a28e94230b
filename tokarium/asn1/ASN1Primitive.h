#pragma once
// Views of the basic types. Each takes a parsed object's content and never
// checks its tag; the value is computed from the content when asked for.

#include "tokarium/asn1/ASN1Object.h"

#include <cstddef>
#include <cstdint>

class CASN1Boolean : public CASN1Object {
public:
    enum { TAG = 0x01 };
    explicit CASN1Boolean(CASN1Object source);
    // True when the first content octet is non-zero; an empty content is false.
    bool getValue() const;
};

class CASN1Integer : public CASN1Object {
public:
    enum { TAG = 0x02 };
    explicit CASN1Integer(CASN1Object source);
    // The content big-endian, without sign extension; of a longer content
    // only the last four octets count.
    uint32_t getValue() const;
};

class CASN1BitString : public CASN1Object {
public:
    enum { TAG = 0x03 };
    explicit CASN1BitString(CASN1Object source);
};

class CASN1OctetString : public CASN1Object {
public:
    enum { TAG = 0x04 };
    explicit CASN1OctetString(CASN1Object source);
};

class CASN1Null : public CASN1Object {
public:
    enum { TAG = 0x05 };
    CASN1Null();
};

// UTCTime, or whatever time value it is built from (GeneralizedTime keeps 0x18).
class CASN1UTCTime : public CASN1Object {
public:
    enum { TAG = 0x17 };
    explicit CASN1UTCTime(CASN1Object source);
    // Copies the characters and a NUL, at most bufferSize - 1 of them;
    // returns how many were copied.
    size_t getText(char* buffer, size_t bufferSize) const;
};
