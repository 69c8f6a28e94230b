#include "tokarium/asn1/ByteArray.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

CByteArray::CByteArray() : data(nullptr), size(0), capacity(0), hexText(nullptr)
{
    allocate(kDefaultCapacity);
}

CByteArray::CByteArray(const unsigned char* bytes, uint32_t n)
    : data(nullptr), size(0), capacity(0), hexText(nullptr)
{
    allocate(n == 0 ? kDefaultCapacity : n);
    if (n != 0) {
        memcpy(data, bytes, n);
        size = n;
    }
}

CByteArray::CByteArray(const char* hexTextIn) : data(nullptr), size(0), capacity(0), hexText(nullptr)
{
    size_t length = hexTextIn ? strlen(hexTextIn) : 0;
    size_t octets = length / 2;
    if (octets > UINT32_MAX)
        throw kOutOfMemory;
    // Checked before anything is allocated, so a throw leaves nothing behind.
    for (size_t i = 0; i < octets * 2; ++i)
        if (hexDigitValue(hexTextIn[i]) < 0)
            throw int(-1);
    allocate(static_cast<uint32_t>(octets));
    for (size_t i = 0; i < octets; ++i)
        data[i] = static_cast<unsigned char>(hexDigitValue(hexTextIn[2 * i]) << 4 | hexDigitValue(hexTextIn[2 * i + 1]));
    size = static_cast<uint32_t>(octets);
}

CByteArray::CByteArray(const CByteArray& other) : CByteArray(other.data, other.size) {}

CByteArray::CByteArray(CByteArray&& other) noexcept
    : data(other.data), size(other.size), capacity(other.capacity), hexText(other.hexText)
{
    other.data = nullptr;
    other.size = other.capacity = 0;
    other.hexText = nullptr;
}

CByteArray& CByteArray::operator=(const CByteArray& other)
{
    if (this != &other) {
        CByteArray copy(other);
        *this = std::move(copy);
    }
    return *this;
}

CByteArray& CByteArray::operator=(CByteArray&& other) noexcept
{
    if (this != &other) {
        release();
        data = other.data;
        size = other.size;
        capacity = other.capacity;
        hexText = other.hexText;
        other.data = nullptr;
        other.size = other.capacity = 0;
        other.hexText = nullptr;
    }
    return *this;
}

CByteArray::~CByteArray() { release(); }

void CByteArray::release()
{
    free(data);
    free(hexText);
    data = nullptr;
    hexText = nullptr;
    size = capacity = 0;
}

void CByteArray::allocate(uint32_t newCapacity)
{
    if (newCapacity == 0)
        return;
    data = static_cast<unsigned char*>(malloc(newCapacity));
    if (!data)
        throw kOutOfMemory;
    capacity = newCapacity;
}

void CByteArray::resize(uint32_t newCapacity)
{
    void* grown = realloc(data, newCapacity);
    if (!grown)
        throw kOutOfMemory;
    data = static_cast<unsigned char*>(grown);
    capacity = newCapacity;
}

unsigned char* CByteArray::extend(uint32_t n)
{
    if (n > UINT32_MAX - size)
        throw kOutOfMemory;
    if (size + n > capacity) {
        if (n > UINT32_MAX - capacity)
            throw kOutOfMemory;
        resize(capacity + n);
    }
    unsigned char* at = data + size;
    size += n;
    return at;
}

unsigned char CByteArray::at(uint32_t i) const
{
    if (i >= size)
        throw kIndexOutOfRange;
    return data[i];
}

void CByteArray::removeAt(uint32_t i)
{
    if (i >= size)
        throw kIndexOutOfRange;
    memmove(data + i, data + i + 1, size - i - 1);
    --size;
}

void CByteArray::pushBack(unsigned char octet)
{
    if (size == capacity) {
        if (capacity > UINT32_MAX - kPushBackStep)
            throw kOutOfMemory;
        resize(capacity + kPushBackStep);
    }
    data[size++] = octet;
}

uint32_t CByteArray::append(const unsigned char* bytes, uint32_t n)
{
    if (n == 0)
        return 0;
    // bytes may point into this array; remember where before moving it.
    bool inside = data && bytes >= data && bytes < data + capacity;
    size_t insideOffset = inside ? static_cast<size_t>(bytes - data) : 0;
    unsigned char* to = extend(n);
    memmove(to, inside ? data + insideOffset : bytes, n);
    return n;
}

uint32_t CByteArray::append(const CByteArray& other)
{
    return append(other.data, other.size);
}

void CByteArray::clear()
{
    if (data)
        memset(data, 0, capacity);
    size = 0;
}

const char* CByteArray::toHexString(uint32_t maxOctets)
{
    static const char digits[] = "0123456789ABCDEF";
    uint32_t count = (maxOctets == 0 || maxOctets > size) ? size : maxOctets;
    size_t textSize = static_cast<size_t>(count) * 2 + 1;
    if (textSize <= count)
        throw kOutOfMemory;
    char* text = static_cast<char*>(malloc(textSize));
    if (!text)
        throw kOutOfMemory;
    for (uint32_t i = 0; i < count; ++i) {
        text[2 * i] = digits[data[i] >> 4];
        text[2 * i + 1] = digits[data[i] & 0x0F];
    }
    text[2 * static_cast<size_t>(count)] = '\0';
    free(hexText);
    hexText = text;
    return hexText;
}

size_t copyTextTo(const CByteArray& text, char* buffer, size_t bufferSize)
{
    if (!buffer || bufferSize == 0)
        return 0;
    const unsigned char* octets = text.getData();
    size_t count = 0;
    while (count < text.getSize() && count + 1 < bufferSize && octets[count] != 0)
        ++count;
    if (count != 0)
        memcpy(buffer, octets, count);
    buffer[count] = '\0';
    return count;
}
