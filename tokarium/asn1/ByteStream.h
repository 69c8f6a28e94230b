#pragma once
// A read cursor over octets owned elsewhere. It never fails: a read that asks
// for more than remains returns what remains.

#include <cstdint>

class CByteArray;

class CByteStream {
public:
    explicit CByteStream(const CByteArray& array);
    CByteStream(const unsigned char* bytes, uint32_t n);

    uint32_t read(unsigned char* destination, uint32_t n);
    uint32_t tell() const { return position; }
    // A position past the end is taken as the end.
    void seek(uint32_t newPosition) { position = newPosition < size ? newPosition : size; }
    // Appends everything from the position to the end; returns the count.
    uint32_t readAll(CByteArray& out);

    uint32_t remaining() const { return size - position; }
    // The octets from the position on, valid for remaining() octets.
    const unsigned char* current() const { return bytes + position; }
    void skip(uint32_t n) { seek(n > remaining() ? size : position + n); }

private:
    const unsigned char* bytes;
    uint32_t size;
    uint32_t position;
};
