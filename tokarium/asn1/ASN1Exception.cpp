#include "tokarium/asn1/ASN1Exception.h"

#include <cstring>

bool CASN1Exception::getMessage(char* buffer, size_t bufferSize) const
{
    size_t length = strlen(message);
    if (!buffer || bufferSize < length + 1)
        return false;
    memcpy(buffer, message, length + 1);
    return true;
}
