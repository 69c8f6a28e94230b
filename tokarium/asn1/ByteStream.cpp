#include "tokarium/asn1/ByteStream.h"

#include "tokarium/asn1/ByteArray.h"

#include <cstring>

CByteStream::CByteStream(const CByteArray& array) : bytes(array.getData()), size(array.getSize()), position(0) {}

CByteStream::CByteStream(const unsigned char* bytesIn, uint32_t n) : bytes(bytesIn), size(bytesIn ? n : 0), position(0) {}

uint32_t CByteStream::read(unsigned char* destination, uint32_t n)
{
    uint32_t count = n < remaining() ? n : remaining();
    if (count != 0)
        memcpy(destination, bytes + position, count);
    position += count;
    return count;
}

uint32_t CByteStream::readAll(CByteArray& out)
{
    enum { PIECE = 255 };
    unsigned char piece[PIECE];
    uint32_t total = 0;
    for (uint32_t got; (got = read(piece, PIECE)) != 0;) {
        out.append(piece, got);
        total += got;
    }
    return total;
}
