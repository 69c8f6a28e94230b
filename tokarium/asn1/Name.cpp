#include "tokarium/asn1/Name.h"

#include "tokarium/app/ActivityLog.h"
#include "tokarium/asn1/ASN1ObjectIdentifier.h"

#include <cstring>
#include <utility>

namespace {

struct AttributeLabel {
    const char* identifier;
    const char* label;
};

const AttributeLabel kAttributeLabels[] = {
    {"2.5.4.3", "CN"},
    {"2.5.4.4", "SN"},
    {"2.5.4.5", "SER"},
    {"2.5.4.6", "C"},
    {"2.5.4.7", "L"},
    {"2.5.4.8", "ST"},
    {"2.5.4.9", "STREET ADDRESS"},
    {"2.5.4.10", "ON"},
    {"2.5.4.11", "OU"},
    {"2.5.4.12", "TITLE"},
    {"2.5.4.13", "DESCRIPTION"},
    {"2.5.4.14", "SEARCH GUIDE"},
    {"2.5.4.15", "BUSINESS CATEGORY"},
    {"2.5.4.16", "POSTAL ADDRESS"},
    {"2.5.4.17", "POSTAL CODE"},
    {"2.5.4.18", "POST OFFICE BOX"},
    {"2.5.4.19", "PHYSICAL DELIVERY OFFICE NAME"},
    {"2.5.4.20", "TELEPHONE NUMBER"},
    {"2.5.4.21", "TELEX NUMBER"},
    {"2.5.4.22", "TELETEXT TERMINAL IDENTIFIER"},
    {"2.5.4.23", "FACSIMILE TELEPHONE NUMBER"},
    {"2.5.4.24", "X21 ADDRESS"},
    {"2.5.4.25", "INTERNATIONAL ISDN NUMBER"},
    {"2.5.4.26", "REGISTERED ADDRESS"},
    {"2.5.4.27", "DESTINATION INDICATOR"},
    {"2.5.4.28", "PREFERRED DELIVERY METHOD"},
    {"2.5.4.29", "PRESENTATION ADDRESS"},
    {"2.5.4.30", "SUPPORTED APPLICATION CONTEXT"},
    {"2.5.4.31", "MEMBER"},
    {"2.5.4.32", "OWNER"},
    {"2.5.4.33", "ROLE OCCUPANT"},
    {"2.5.4.34", "SEE ALSO"},
    {"2.5.4.35", "USER PASSWORD"},
    {"2.5.4.36", "USER CERTIFICATE"},
    {"2.5.4.37", "CA CERTIFICATE"},
    {"2.5.4.38", "AUTHORITY REVOCATION LIST"},
    {"2.5.4.39", "CERTIFICATE REVOCATION LIST"},
    {"2.5.4.40", "CROSS CERTIFICATE PAIR"},
    {"2.5.4.41", "GN"},
    {"2.5.4.42", "GN"},
    {"2.5.4.43", "INITIALS"},
    {"1.2.840.113549.1.9.1", "E"},
    {"0.9.2342.19200300.100.1.25", "DOMAIN COMPONENT"},
    {"0.9.2342.192003000.100.1.25", "DOMAIN COMPONENT"},
    {"1.2.840.113549.1.9.20", "PKCS 12 FRIENDLY NAME ATTR"},
    {"1.2.840.113549.1.9.21", "PKCS 12 LOCAL KEY ID"},
};

static_assert(sizeof kAttributeLabels / sizeof kAttributeLabels[0] == 46, "the label table has 46 rows");

// Child 0 of RDN i: the first AttributeTypeAndValue.
CASN1Sequence firstAttribute(const CName& name, int i)
{
    CASN1Set rdn(name.getChild(i));
    return CASN1Sequence(rdn.getChild(0));
}

void appendText(CByteArray& out, const char* text)
{
    out.append(reinterpret_cast<const unsigned char*>(text), static_cast<uint32_t>(strlen(text)));
}

}  // namespace

const char* lookupAttributeLabel(const char* dottedText)
{
    if (!dottedText)
        return nullptr;
    for (const AttributeLabel& row : kAttributeLabels)
        if (strcmp(row.identifier, dottedText) == 0)
            return row.label;
    return nullptr;
}

CName::CName(CASN1Object source) : CASN1Sequence(std::move(source)) {}

void CName::getNameAsString(CByteArray& out) const
{
    theLog.LogDebug(0, "--> CName::getNameAsString", "");
    for (int i = 0; i < getChildCount(); ++i) {
        CASN1Sequence attribute = firstAttribute(*this, i);
        CByteArray typeText;
        CASN1ObjectIdentifier(attribute.getChild(0)).toString(typeText);
        const char* label = lookupAttributeLabel(reinterpret_cast<const char*>(typeText.getData()));
        if (attribute.getChildCount() > 1) {
            CASN1Object value = attribute.getChild(1);
            if (out.getSize() != 0)
                appendText(out, ",");
            if (label) {
                appendText(out, label);
                appendText(out, "=");
            }
            out.append(value.getContent());
        }
        theLog.LogDebug(0, "CName::getNameAsString", "next");
    }
    out.pushBack('\0');
    theLog.LogDebug(0, "<-- CName::getNameAsString", "%s", reinterpret_cast<const char*>(out.getData()));
}

std::string CName::getAttribute(const char* dottedText) const
{
    CASN1ObjectIdentifier wanted(dottedText);
    for (int i = 0; i < getChildCount(); ++i) {
        CASN1Sequence attribute = firstAttribute(*this, i);
        if (!attribute.getChild(0).equals(wanted))
            continue;
        CASN1Object value = attribute.getChild(1);
        const CByteArray& octets = value.getContent();
        if (octets.getSize() == 0)
            return std::string();
        return std::string(reinterpret_cast<const char*>(octets.getData()), octets.getSize());
    }
    return std::string();
}
