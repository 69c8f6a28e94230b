#include "tokarium/pkcs12/DES3.h"

#include "tokarium/pkcs12/SecureZero.h"

#include <array>

namespace {

// The tables of FIPS 46-3; bit positions count from 1 at the most significant bit.
constexpr uint8_t initialPermutation[64] = {
    58, 50, 42, 34, 26, 18, 10, 2, 60, 52, 44, 36, 28, 20, 12, 4,
    62, 54, 46, 38, 30, 22, 14, 6, 64, 56, 48, 40, 32, 24, 16, 8,
    57, 49, 41, 33, 25, 17, 9,  1, 59, 51, 43, 35, 27, 19, 11, 3,
    61, 53, 45, 37, 29, 21, 13, 5, 63, 55, 47, 39, 31, 23, 15, 7};

constexpr uint8_t permutedChoice1[56] = {
    57, 49, 41, 33, 25, 17, 9,  1,  58, 50, 42, 34, 26, 18,
    10, 2,  59, 51, 43, 35, 27, 19, 11, 3,  60, 52, 44, 36,
    63, 55, 47, 39, 31, 23, 15, 7,  62, 54, 46, 38, 30, 22,
    14, 6,  61, 53, 45, 37, 29, 21, 13, 5,  28, 20, 12, 4};

constexpr uint8_t permutedChoice2[48] = {
    14, 17, 11, 24, 1,  5,  3,  28, 15, 6,  21, 10,
    23, 19, 12, 4,  26, 8,  16, 7,  27, 20, 13, 2,
    41, 52, 31, 37, 47, 55, 30, 40, 51, 45, 33, 48,
    44, 49, 39, 56, 34, 53, 46, 42, 50, 36, 29, 32};

constexpr uint8_t leftRotations[16] = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};

constexpr uint8_t permutationP[32] = {
    16, 7, 20, 21, 29, 12, 28, 17, 1,  15, 23, 26, 5,  18, 31, 10,
    2,  8, 24, 14, 32, 27, 3,  9,  19, 13, 30, 6,  22, 11, 4,  25};

constexpr uint8_t substitution[8][64] = {
    {14, 4,  13, 1,  2,  15, 11, 8,  3,  10, 6,  12, 5,  9,  0,  7,
     0,  15, 7,  4,  14, 2,  13, 1,  10, 6,  12, 11, 9,  5,  3,  8,
     4,  1,  14, 8,  13, 6,  2,  11, 15, 12, 9,  7,  3,  10, 5,  0,
     15, 12, 8,  2,  4,  9,  1,  7,  5,  11, 3,  14, 10, 0,  6,  13},
    {15, 1,  8,  14, 6,  11, 3,  4,  9,  7,  2,  13, 12, 0,  5,  10,
     3,  13, 4,  7,  15, 2,  8,  14, 12, 0,  1,  10, 6,  9,  11, 5,
     0,  14, 7,  11, 10, 4,  13, 1,  5,  8,  12, 6,  9,  3,  2,  15,
     13, 8,  10, 1,  3,  15, 4,  2,  11, 6,  7,  12, 0,  5,  14, 9},
    {10, 0,  9,  14, 6,  3,  15, 5,  1,  13, 12, 7,  11, 4,  2,  8,
     13, 7,  0,  9,  3,  4,  6,  10, 2,  8,  5,  14, 12, 11, 15, 1,
     13, 6,  4,  9,  8,  15, 3,  0,  11, 1,  2,  12, 5,  10, 14, 7,
     1,  10, 13, 0,  6,  9,  8,  7,  4,  15, 14, 3,  11, 5,  2,  12},
    {7,  13, 14, 3,  0,  6,  9,  10, 1,  2,  8,  5,  11, 12, 4,  15,
     13, 8,  11, 5,  6,  15, 0,  3,  4,  7,  2,  12, 1,  10, 14, 9,
     10, 6,  9,  0,  12, 11, 7,  13, 15, 1,  3,  14, 5,  2,  8,  4,
     3,  15, 0,  6,  10, 1,  13, 8,  9,  4,  5,  11, 12, 7,  2,  14},
    {2,  12, 4,  1,  7,  10, 11, 6,  8,  5,  3,  15, 13, 0,  14, 9,
     14, 11, 2,  12, 4,  7,  13, 1,  5,  0,  15, 10, 3,  9,  8,  6,
     4,  2,  1,  11, 10, 13, 7,  8,  15, 9,  12, 5,  6,  3,  0,  14,
     11, 8,  12, 7,  1,  14, 2,  13, 6,  15, 0,  9,  10, 4,  5,  3},
    {12, 1,  10, 15, 9,  2,  6,  8,  0,  13, 3,  4,  14, 7,  5,  11,
     10, 15, 4,  2,  7,  12, 9,  5,  6,  1,  13, 14, 0,  11, 3,  8,
     9,  14, 15, 5,  2,  8,  12, 3,  7,  0,  4,  10, 1,  13, 11, 6,
     4,  3,  2,  12, 9,  5,  15, 10, 11, 14, 1,  7,  6,  0,  8,  13},
    {4,  11, 2,  14, 15, 0,  8,  13, 3,  12, 9,  7,  5,  10, 6,  1,
     13, 0,  11, 7,  4,  9,  1,  10, 14, 3,  5,  12, 2,  15, 8,  6,
     1,  4,  11, 13, 12, 3,  7,  14, 10, 15, 6,  8,  0,  5,  9,  2,
     6,  11, 13, 8,  1,  4,  10, 7,  9,  5,  0,  15, 14, 2,  3,  12},
    {13, 2,  8,  4,  6,  15, 11, 1,  10, 9,  3,  14, 5,  0,  12, 7,
     1,  15, 13, 8,  10, 3,  7,  4,  12, 5,  6,  11, 0,  14, 9,  2,
     7,  11, 4,  1,  9,  12, 14, 2,  0,  6,  10, 13, 15, 3,  5,  8,
     2,  1,  14, 7,  4,  10, 8,  13, 15, 12, 9,  0,  3,  5,  6,  11}};

constexpr uint32_t rotateLeft(uint32_t word, int bits)
{
    return (word << bits) | (word >> (32 - bits));
}

constexpr uint64_t bitAt(uint64_t value, int position, int width)
{
    return (value >> (width - position)) & 1;
}

// The rounds work on halves rotated left by one bit: then the eight 6-bit groups
// of the E expansion lie at bits 0, 8, 16 and 24 of the half (groups 8, 6, 4, 2)
// and of the half rotated right by four (groups 7, 5, 3, 1).
using SPTable = std::array<std::array<uint32_t, 64>, 8>;

constexpr SPTable makeSPTables()
{
    SPTable tables{};
    for (int box = 0; box < 8; box++) {
        for (int group = 0; group < 64; group++) {
            int row = ((group >> 4) & 2) | (group & 1);
            int column = (group >> 1) & 15;
            uint32_t sOutput = uint32_t(substitution[box][row * 16 + column]) << (28 - 4 * box);
            uint32_t permuted = 0;
            for (int i = 0; i < 32; i++)
                permuted |= uint32_t(bitAt(sOutput, permutationP[i], 32)) << (31 - i);
            tables[box][group] = rotateLeft(permuted, 1);
        }
    }
    return tables;
}

// A 64-bit permutation applied octet by octet: eight tables of 256 entries.
using OctetTables = std::array<std::array<uint64_t, 256>, 8>;

constexpr OctetTables makeOctetTables(bool inverse)
{
    uint8_t source[64] = {};
    for (int i = 0; i < 64; i++) {
        if (inverse)
            source[initialPermutation[i] - 1] = uint8_t(i + 1);
        else
            source[i] = initialPermutation[i];
    }
    OctetTables tables{};
    for (int octet = 0; octet < 8; octet++) {
        for (int value = 0; value < 256; value++) {
            uint64_t input = uint64_t(value) << (56 - 8 * octet);
            uint64_t output = 0;
            for (int i = 0; i < 64; i++)
                output |= bitAt(input, source[i], 64) << (63 - i);
            tables[octet][value] = output;
        }
    }
    return tables;
}

constexpr SPTable spTables = makeSPTables();
constexpr OctetTables initialTables = makeOctetTables(false);
constexpr OctetTables finalTables = makeOctetTables(true);

uint64_t permute(uint64_t value, const OctetTables& tables)
{
    uint64_t result = 0;
    for (int octet = 0; octet < 8; octet++)
        result |= tables[octet][(value >> (56 - 8 * octet)) & 0xFF];
    return result;
}

uint32_t roundFunction(uint32_t right, const uint32_t* roundKey)
{
    uint32_t even = right ^ roundKey[0];
    uint32_t odd = rotateLeft(right, 28) ^ roundKey[1];
    return spTables[7][even & 63] ^ spTables[5][(even >> 8) & 63] ^ spTables[3][(even >> 16) & 63]
         ^ spTables[1][(even >> 24) & 63] ^ spTables[6][odd & 63] ^ spTables[4][(odd >> 8) & 63]
         ^ spTables[2][(odd >> 16) & 63] ^ spTables[0][(odd >> 24) & 63];
}

// Round key groups: word 0 holds groups 8, 6, 4, 2 and word 1 groups 7, 5, 3, 1 at
// bits 0, 8, 16, 24, matching roundFunction.
void arrangeRoundKey(uint64_t roundKey48, uint32_t out[2])
{
    uint32_t groups[8];
    for (int g = 0; g < 8; g++)
        groups[g] = uint32_t(roundKey48 >> (42 - 6 * g)) & 63;
    out[0] = groups[7] | (groups[5] << 8) | (groups[3] << 16) | (groups[1] << 24);
    out[1] = groups[6] | (groups[4] << 8) | (groups[2] << 16) | (groups[0] << 24);
}

uint64_t loadKey(const uint8_t key[8])
{
    uint64_t value = 0;
    for (int i = 0; i < 8; i++)
        value = (value << 8) | key[i];
    return value;
}

void loadBlock(const uint8_t* octets, uint32_t block[2])
{
    for (int w = 0; w < 2; w++) {
        const uint8_t* p = octets + 4 * w;
        block[w] = (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
    }
}

void storeBlock(const uint32_t block[2], uint8_t* octets)
{
    for (int i = 0; i < 8; i++)
        octets[i] = uint8_t(block[i / 4] >> (24 - 8 * (i % 4)));
}

void tripleBlock(const DES3Context* context, uint32_t block[2])
{
    desProcessBlock(block, context->schedule1);
    desProcessBlock(block, context->schedule2);
    desProcessBlock(block, context->schedule3);
}

}  // namespace

void desKeySchedule(uint32_t schedule[32], const uint8_t key[8], int encrypt)
{
    uint64_t keyBits = loadKey(key);
    uint32_t c = 0, d = 0;
    for (int i = 0; i < 28; i++) {
        c = (c << 1) | uint32_t(bitAt(keyBits, permutedChoice1[i], 64));
        d = (d << 1) | uint32_t(bitAt(keyBits, permutedChoice1[28 + i], 64));
    }
    for (int round = 0; round < 16; round++) {
        for (int r = 0; r < leftRotations[round]; r++) {
            c = ((c << 1) | (c >> 27)) & 0x0FFFFFFF;
            d = ((d << 1) | (d >> 27)) & 0x0FFFFFFF;
        }
        uint64_t cd = (uint64_t(c) << 28) | d;
        uint64_t roundKey = 0;
        for (int i = 0; i < 48; i++)
            roundKey = (roundKey << 1) | bitAt(cd, permutedChoice2[i], 56);
        int slot = encrypt ? round : 15 - round;
        arrangeRoundKey(roundKey, schedule + 2 * slot);
        roundKey = 0;
        cd = 0;
    }
    keyBits = 0;
    c = d = 0;
}

void desSetOddParity(uint8_t* key, uint32_t n)
{
    for (uint32_t i = 0; i < n; i++) {
        uint8_t high = key[i] & 0xFE;
        int ones = 0;
        for (int bit = 1; bit < 8; bit++)
            ones += (high >> bit) & 1;
        key[i] = uint8_t(high | ((ones & 1) ? 0 : 1));
    }
}

void desProcessBlock(uint32_t block[2], const uint32_t schedule[32])
{
    uint64_t permuted = permute((uint64_t(block[0]) << 32) | block[1], initialTables);
    uint32_t left = rotateLeft(uint32_t(permuted >> 32), 1);
    uint32_t right = rotateLeft(uint32_t(permuted), 1);
    for (int round = 0; round < 16; round += 2) {
        left ^= roundFunction(right, schedule + 2 * round);
        right ^= roundFunction(left, schedule + 2 * round + 2);
    }
    // The last round does not swap the halves.
    uint64_t preoutput = (uint64_t(rotateLeft(right, 31)) << 32) | rotateLeft(left, 31);
    uint64_t output = permute(preoutput, finalTables);
    block[0] = uint32_t(output >> 32);
    block[1] = uint32_t(output);
}

void des3Init(DES3Context* context, const uint8_t key[24], const uint8_t iv[8], int encrypt)
{
    context->encrypt = encrypt ? 1 : 0;
    loadBlock(iv, context->chain);
    context->savedIV[0] = context->chain[0];
    context->savedIV[1] = context->chain[1];
    if (encrypt) {
        desKeySchedule(context->schedule1, key, 1);
        desKeySchedule(context->schedule2, key + 8, 0);
        desKeySchedule(context->schedule3, key + 16, 1);
    } else {
        desKeySchedule(context->schedule1, key + 16, 0);
        desKeySchedule(context->schedule2, key + 8, 1);
        desKeySchedule(context->schedule3, key, 0);
    }
}

int des3Process(DES3Context* context, uint8_t* output, const uint8_t* input, uint32_t n)
{
    if (n % 8 != 0)
        return DES3_ERROR_LENGTH;
    for (uint32_t offset = 0; offset < n; offset += 8) {
        uint32_t block[2];
        loadBlock(input + offset, block);
        if (context->encrypt) {
            block[0] ^= context->chain[0];
            block[1] ^= context->chain[1];
            tripleBlock(context, block);
            context->chain[0] = block[0];
            context->chain[1] = block[1];
        } else {
            uint32_t cipher[2] = {block[0], block[1]};
            tripleBlock(context, block);
            block[0] ^= context->chain[0];
            block[1] ^= context->chain[1];
            context->chain[0] = cipher[0];
            context->chain[1] = cipher[1];
        }
        storeBlock(block, output + offset);
        secureZero(block, sizeof block);
    }
    return 0;
}

void des3ResetIV(DES3Context* context)
{
    context->chain[0] = context->savedIV[0];
    context->chain[1] = context->savedIV[1];
}
