#pragma once
// An X.500 distinguished name: SEQUENCE OF SET OF { type, value }.

#include "tokarium/asn1/ASN1Constructed.h"

#include <string>

class CName : public CASN1Sequence {
public:
    explicit CName(CASN1Object source);

    // Appends "label=value" per RDN in stored order, joined by ",", then a NUL.
    // Only the first attribute of an RDN is written; a type without a label
    // gives the value alone. Traces to the activity log.
    void getNameAsString(CByteArray& out) const;
    // The value octets of the first attribute of this type, "" when none.
    std::string getAttribute(const char* dottedText) const;
};

// The label of an attribute type's dotted text, or null when it has none.
const char* lookupAttributeLabel(const char* dottedText);
