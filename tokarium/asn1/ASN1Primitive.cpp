#include "tokarium/asn1/ASN1Primitive.h"

#include <cstring>
#include <utility>

CASN1Boolean::CASN1Boolean(CASN1Object source) : CASN1Object(TAG, std::move(source)) {}

bool CASN1Boolean::getValue() const
{
    return getContentLength() != 0 && getContent().getData()[0] != 0;
}

CASN1Integer::CASN1Integer(CASN1Object source) : CASN1Object(TAG, std::move(source)) {}

uint32_t CASN1Integer::getValue() const
{
    const unsigned char* octets = getContent().getData();
    uint32_t value = 0;
    for (uint32_t i = 0; i < getContentLength(); ++i)
        value = value << 8 | octets[i];
    return value;
}

CASN1BitString::CASN1BitString(CASN1Object source) : CASN1Object(std::move(source)) {}

CASN1OctetString::CASN1OctetString(CASN1Object source) : CASN1Object(std::move(source)) {}

CASN1Null::CASN1Null() : CASN1Object(TAG) {}

CASN1UTCTime::CASN1UTCTime(CASN1Object source) : CASN1Object(std::move(source)) {}

size_t CASN1UTCTime::getText(char* buffer, size_t bufferSize) const
{
    if (!buffer || bufferSize == 0)
        return 0;
    size_t count = getContentLength();
    if (count > bufferSize - 1)
        count = bufferSize - 1;
    if (count != 0)
        memcpy(buffer, getContent().getData(), count);
    buffer[count] = '\0';
    return count;
}
