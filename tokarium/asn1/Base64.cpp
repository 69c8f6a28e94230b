#include "tokarium/asn1/Base64.h"

#include <cstdlib>
#include <cstring>

namespace {

enum { NOT_BASE64 = 100 };

struct DecodingTable {
    unsigned char value[256];

    DecodingTable()
    {
        memset(value, NOT_BASE64, sizeof value);
        const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        for (int i = 0; i < 64; ++i)
            value[static_cast<unsigned char>(alphabet[i])] = static_cast<unsigned char>(i);
    }
};

const DecodingTable kTable;

}  // namespace

size_t base64DecodedSize(size_t textLength) { return textLength / 4 * 3; }

int base64DecodeQuantum(unsigned char* output, const char* quantum)
{
    unsigned char values[4];
    int yields = 3;
    for (int position = 3; position >= 0; --position) {
        unsigned char c = static_cast<unsigned char>(quantum[position]);
        if (c == '=') {
            values[position] = 0;
            yields = position - 1;
            continue;
        }
        values[position] = kTable.value[c];
        if (values[position] == NOT_BASE64)
            return -1;
    }
    output[0] = static_cast<unsigned char>(values[0] << 2 | values[1] >> 4);
    output[1] = static_cast<unsigned char>((values[1] & 0x0F) << 4 | values[2] >> 2);
    output[2] = static_cast<unsigned char>((values[2] & 0x03) << 6 | values[3]);
    return yields;
}

long base64Decode(unsigned char* output, const char* text)
{
    size_t length = strlen(text);
    // A last short group would reach past the text and past the output.
    if (length % 4 != 0)
        return -1;
    size_t total = 0;
    for (size_t consumed = 0; consumed < length; consumed += 4) {
        int count = base64DecodeQuantum(output + total, text + consumed);
        if (count < 0)
            return -1;
        total += static_cast<size_t>(count);
    }
    return static_cast<long>(total);
}

unsigned char* base64DecodeAlloc(const char* text, size_t* decodedCount)
{
    if (!text)
        return nullptr;
    size_t capacity = base64DecodedSize(strlen(text)) + 1;
    unsigned char* buffer = static_cast<unsigned char*>(malloc(capacity));
    if (!buffer)
        return nullptr;
    long count = base64Decode(buffer, text);
    if (count < 0) {
        free(buffer);
        return nullptr;
    }
    buffer[count] = '\0';
    if (decodedCount)
        *decodedCount = static_cast<size_t>(count);
    return buffer;
}
