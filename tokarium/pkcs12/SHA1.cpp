#include "tokarium/pkcs12/SHA1.h"

#include "tokarium/pkcs12/SecureZero.h"

#include <cstring>

namespace {

inline uint32_t rotateLeft(uint32_t word, int bits)
{
    return (word << bits) | (word >> (32 - bits));
}

void processBlock(SHA1Context* context)
{
    static const uint32_t constants[4] = {0x5A827999, 0x6ED9EBA1, 0x8F1BBCDC, 0xCA62C1D6};
    uint32_t w[80];
    for (int t = 0; t < 16; t++) {
        const uint8_t* p = context->messageBlock + 4 * t;
        w[t] = (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
    }
    for (int t = 16; t < 80; t++)
        w[t] = rotateLeft(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);

    uint32_t a = context->intermediateHash[0];
    uint32_t b = context->intermediateHash[1];
    uint32_t c = context->intermediateHash[2];
    uint32_t d = context->intermediateHash[3];
    uint32_t e = context->intermediateHash[4];
    // Four groups of twenty steps, each with its own function and constant.
#define SHA1_STEP(f, k)                                              \
    {                                                                \
        uint32_t temp = rotateLeft(a, 5) + (f) + e + w[t] + (k);     \
        e = d;                                                       \
        d = c;                                                       \
        c = rotateLeft(b, 30);                                       \
        b = a;                                                       \
        a = temp;                                                    \
    }
    int t = 0;
    for (; t < 20; t++)
        SHA1_STEP((b & c) | (~b & d), constants[0])
    for (; t < 40; t++)
        SHA1_STEP(b ^ c ^ d, constants[1])
    for (; t < 60; t++)
        SHA1_STEP((b & c) | (b & d) | (c & d), constants[2])
    for (; t < 80; t++)
        SHA1_STEP(b ^ c ^ d, constants[3])
#undef SHA1_STEP
    context->intermediateHash[0] += a;
    context->intermediateHash[1] += b;
    context->intermediateHash[2] += c;
    context->intermediateHash[3] += d;
    context->intermediateHash[4] += e;
    context->blockIndex = 0;
}

void padMessage(SHA1Context* context)
{
    bool needsExtraBlock = context->blockIndex >= 56;
    context->messageBlock[context->blockIndex++] = 0x80;
    if (needsExtraBlock) {
        while (context->blockIndex < 64)
            context->messageBlock[context->blockIndex++] = 0;
        processBlock(context);
    }
    while (context->blockIndex < 56)
        context->messageBlock[context->blockIndex++] = 0;
    uint32_t words[2] = {context->lengthHigh, context->lengthLow};
    for (int i = 0; i < 8; i++)
        context->messageBlock[56 + i] = uint8_t(words[i / 4] >> (24 - 8 * (i % 4)));
    processBlock(context);
}

}  // namespace

void sha1Init(SHA1Context* context)
{
    context->intermediateHash[0] = 0x67452301;
    context->intermediateHash[1] = 0xEFCDAB89;
    context->intermediateHash[2] = 0x98BADCFE;
    context->intermediateHash[3] = 0x10325476;
    context->intermediateHash[4] = 0xC3D2E1F0;
    context->lengthLow = 0;
    context->lengthHigh = 0;
    context->blockIndex = 0;
    context->computed = 0;
    context->corrupted = 0;
}

void sha1Update(SHA1Context* context, const uint8_t* octets, uint32_t n)
{
    if (n == 0)
        return;
    if (context->computed || context->corrupted) {
        context->corrupted = 1;
        return;
    }
    // Whole runs of octets at a time: the block is filled as far as it goes and
    // the bit count grows by 8 per octet, a carry out of the high word corrupting.
    while (n > 0) {
        uint32_t take = 64 - uint32_t(context->blockIndex);
        if (take > n)
            take = n;
        std::memcpy(context->messageBlock + context->blockIndex, octets, take);
        context->blockIndex += int32_t(take);
        uint32_t low = context->lengthLow + 8 * take;
        if (low < context->lengthLow) {
            context->lengthHigh++;
            if (context->lengthHigh == 0) {
                context->lengthLow = low;
                context->corrupted = 1;
                return;
            }
        }
        context->lengthLow = low;
        if (context->blockIndex == 64)
            processBlock(context);
        octets += take;
        n -= take;
    }
}

int sha1Final(SHA1Context* context)
{
    if (context->corrupted)
        return 0;
    if (context->computed)
        return 1;
    padMessage(context);
    secureZero(context->messageBlock, sizeof context->messageBlock);
    context->computed = 1;
    return 1;
}

void sha1Digest(const SHA1Context* context, uint8_t digest[SHA1_DIGEST_SIZE])
{
    for (int i = 0; i < SHA1_DIGEST_SIZE; i++)
        digest[i] = uint8_t(context->intermediateHash[i / 4] >> (24 - 8 * (i % 4)));
}
