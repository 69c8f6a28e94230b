#pragma once
// A growable octet array: DER values, key components and file contents.
// Errors are thrown as plain long codes.

#include <cstddef>
#include <cstdint>

class CByteArray {
public:
    static constexpr long kOutOfMemory = -5;
    static constexpr long kIndexOutOfRange = static_cast<long>(0xC0001001UL);
    static constexpr uint32_t kDefaultCapacity = 100;
    static constexpr uint32_t kPushBackStep = 100;

    CByteArray();
    CByteArray(const unsigned char* bytes, uint32_t n);
    // Pairs of hexadecimal digits; a last odd digit is ignored, any other
    // character throws the int -1.
    explicit CByteArray(const char* hexText);
    CByteArray(const CByteArray& other);
    CByteArray(CByteArray&& other) noexcept;
    CByteArray& operator=(const CByteArray& other);
    CByteArray& operator=(CByteArray&& other) noexcept;
    virtual ~CByteArray();

    unsigned char* getData() { return data; }
    const unsigned char* getData() const { return data; }
    uint32_t getSize() const { return size; }
    uint32_t getCapacity() const { return capacity; }

    unsigned char at(uint32_t i) const;
    void removeAt(uint32_t i);
    void pushBack(unsigned char octet);
    uint32_t append(const unsigned char* bytes, uint32_t n);
    uint32_t append(const CByteArray& other);
    // Zeroes the whole allocation and empties the array; the capacity stays.
    void clear();

    // The first maxOctets octets (all when 0) as uppercase hex pairs. The text
    // belongs to the array and lives until the next call or the array's end.
    const char* toHexString(uint32_t maxOctets = 0);

private:
    friend class CASN1Object;

    void allocate(uint32_t newCapacity);
    void resize(uint32_t newCapacity);
    // Makes room for n more octets under the append rule and returns where
    // they go; the size already counts them.
    unsigned char* extend(uint32_t n);
    void release();

    unsigned char* data;
    uint32_t size;
    uint32_t capacity;
    char* hexText;
};

// For the fixed text fields of later callers: copies the octets of text up to
// its first NUL into buffer, cut to bufferSize - 1 octets and always
// NUL-terminated; returns how many were copied.
size_t copyTextTo(const CByteArray& text, char* buffer, size_t bufferSize);
