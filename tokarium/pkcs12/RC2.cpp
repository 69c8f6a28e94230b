#include "tokarium/pkcs12/RC2.h"

#include "tokarium/pkcs12/SecureZero.h"

#include <cstring>

namespace {

// PITABLE of RFC 2268, section 2; only the low octet of each word is used.
const uint32_t piTable[256] = {
    0xd9, 0x78, 0xf9, 0xc4, 0x19, 0xdd, 0xb5, 0xed, 0x28, 0xe9, 0xfd, 0x79, 0x4a, 0xa0, 0xd8, 0x9d,
    0xc6, 0x7e, 0x37, 0x83, 0x2b, 0x76, 0x53, 0x8e, 0x62, 0x4c, 0x64, 0x88, 0x44, 0x8b, 0xfb, 0xa2,
    0x17, 0x9a, 0x59, 0xf5, 0x87, 0xb3, 0x4f, 0x13, 0x61, 0x45, 0x6d, 0x8d, 0x09, 0x81, 0x7d, 0x32,
    0xbd, 0x8f, 0x40, 0xeb, 0x86, 0xb7, 0x7b, 0x0b, 0xf0, 0x95, 0x21, 0x22, 0x5c, 0x6b, 0x4e, 0x82,
    0x54, 0xd6, 0x65, 0x93, 0xce, 0x60, 0xb2, 0x1c, 0x73, 0x56, 0xc0, 0x14, 0xa7, 0x8c, 0xf1, 0xdc,
    0x12, 0x75, 0xca, 0x1f, 0x3b, 0xbe, 0xe4, 0xd1, 0x42, 0x3d, 0xd4, 0x30, 0xa3, 0x3c, 0xb6, 0x26,
    0x6f, 0xbf, 0x0e, 0xda, 0x46, 0x69, 0x07, 0x57, 0x27, 0xf2, 0x1d, 0x9b, 0xbc, 0x94, 0x43, 0x03,
    0xf8, 0x11, 0xc7, 0xf6, 0x90, 0xef, 0x3e, 0xe7, 0x06, 0xc3, 0xd5, 0x2f, 0xc8, 0x66, 0x1e, 0xd7,
    0x08, 0xe8, 0xea, 0xde, 0x80, 0x52, 0xee, 0xf7, 0x84, 0xaa, 0x72, 0xac, 0x35, 0x4d, 0x6a, 0x2a,
    0x96, 0x1a, 0xd2, 0x71, 0x5a, 0x15, 0x49, 0x74, 0x4b, 0x9f, 0xd0, 0x5e, 0x04, 0x18, 0xa4, 0xec,
    0xc2, 0xe0, 0x41, 0x6e, 0x0f, 0x51, 0xcb, 0xcc, 0x24, 0x91, 0xaf, 0x50, 0xa1, 0xf4, 0x70, 0x39,
    0x99, 0x7c, 0x3a, 0x85, 0x23, 0xb8, 0xb4, 0x7a, 0xfc, 0x02, 0x36, 0x5b, 0x25, 0x55, 0x97, 0x31,
    0x2d, 0x5d, 0xfa, 0x98, 0xe3, 0x8a, 0x92, 0xae, 0x05, 0xdf, 0x29, 0x10, 0x67, 0x6c, 0xba, 0xc9,
    0xd3, 0x00, 0xe6, 0xcf, 0xe1, 0x9e, 0xa8, 0x2c, 0x63, 0x16, 0x01, 0x3f, 0x58, 0xe2, 0x89, 0xa9,
    0x0d, 0x38, 0x34, 0x1b, 0xab, 0x33, 0xff, 0xb0, 0xbb, 0x48, 0x0c, 0x5f, 0xb9, 0xb1, 0xcd, 0x2e,
    0xc5, 0xf3, 0xdb, 0x47, 0xe5, 0xa5, 0x9c, 0x77, 0x0a, 0xa6, 0x20, 0x68, 0xfe, 0x7f, 0xc1, 0xad};

inline uint16_t rotateLeft16(uint32_t word, int bits)
{
    word &= 0xFFFF;
    return uint16_t((word << bits) | (word >> (16 - bits)));
}

inline uint16_t rotateRight16(uint32_t word, int bits)
{
    word &= 0xFFFF;
    return uint16_t((word >> bits) | (word << (16 - bits)));
}

void loadWords(const uint8_t* octets, uint16_t r[4])
{
    for (int i = 0; i < 4; i++)
        r[i] = uint16_t(octets[2 * i] | (octets[2 * i + 1] << 8));
}

void storeWords(const uint16_t r[4], uint8_t* octets)
{
    for (int i = 0; i < 4; i++) {
        octets[2 * i] = uint8_t(r[i]);
        octets[2 * i + 1] = uint8_t(r[i] >> 8);
    }
}

const int rotations[4] = {1, 2, 3, 5};

void mixRound(uint16_t r[4], const uint32_t* key, int& j)
{
    for (int i = 0; i < 4; i++) {
        uint32_t sum = r[i] + key[j] + (r[(i + 3) % 4] & r[(i + 2) % 4]) + (~r[(i + 3) % 4] & r[(i + 1) % 4]);
        r[i] = rotateLeft16(sum, rotations[i]);
        j++;
    }
}

void mashRound(uint16_t r[4], const uint32_t* key)
{
    for (int i = 0; i < 4; i++)
        r[i] = uint16_t(r[i] + key[r[(i + 3) % 4] & 63]);
}

void reverseMixRound(uint16_t r[4], const uint32_t* key, int& j)
{
    for (int i = 3; i >= 0; i--) {
        uint32_t word = rotateRight16(r[i], rotations[i]);
        word -= key[j] + (r[(i + 3) % 4] & r[(i + 2) % 4]) + (~r[(i + 3) % 4] & r[(i + 1) % 4]);
        r[i] = uint16_t(word);
        j--;
    }
}

void reverseMashRound(uint16_t r[4], const uint32_t* key)
{
    for (int i = 3; i >= 0; i--)
        r[i] = uint16_t(r[i] - key[r[(i + 3) % 4] & 63]);
}

}  // namespace

void rc2KeySchedule(uint32_t expandedKey[RC2_KEY_WORDS], uint32_t keyLength, const uint8_t* key,
                    int32_t effectiveBits)
{
    uint8_t l[128];
    uint32_t t = keyLength > 128 ? 128 : keyLength;
    if (t == 0)
        t = 1;  // callers never pass 0; one octet keeps the expansion in bounds
    int32_t t1 = (effectiveBits < 1 || effectiveBits > 1024) ? 1024 : effectiveBits;
    std::memset(l, 0, sizeof l);
    if (keyLength > 0)
        std::memcpy(l, key, t);
    for (uint32_t i = t; i < 128; i++)
        l[i] = uint8_t(piTable[(l[i - 1] + l[i - t]) & 0xFF]);
    int32_t t8 = (t1 + 7) / 8;
    uint8_t tm = uint8_t(255 >> (8 * t8 - t1));
    l[128 - t8] = uint8_t(piTable[l[128 - t8] & tm]);
    for (int32_t i = 127 - t8; i >= 0; i--)
        l[i] = uint8_t(piTable[l[i + 1] ^ l[i + t8]]);
    for (int i = 0; i < RC2_KEY_WORDS; i++)
        expandedKey[i] = uint32_t(l[2 * i]) + 256u * l[2 * i + 1];
    secureZero(l, sizeof l);
}

void rc2EncryptBlock(const uint8_t input[8], uint8_t output[8], const uint32_t expandedKey[RC2_KEY_WORDS])
{
    uint16_t r[4];
    loadWords(input, r);
    int j = 0;
    for (int round = 0; round < 16; round++) {
        mixRound(r, expandedKey, j);
        if (round == 4 || round == 10)
            mashRound(r, expandedKey);
    }
    storeWords(r, output);
}

void rc2DecryptBlock(const uint8_t input[8], uint8_t output[8], const uint32_t expandedKey[RC2_KEY_WORDS])
{
    uint16_t r[4];
    loadWords(input, r);
    int j = 63;
    for (int round = 15; round >= 0; round--) {
        reverseMixRound(r, expandedKey, j);
        if (round == 11 || round == 5)
            reverseMashRound(r, expandedKey);
    }
    storeWords(r, output);
}

void rc2Cbc(const uint8_t* input, uint8_t* output, uint32_t n, const uint32_t expandedKey[RC2_KEY_WORDS],
            uint8_t iv[8], int encrypt)
{
    uint8_t block[8];
    for (uint32_t offset = 0; offset < n; offset += 8) {
        uint32_t remaining = n - offset;
        if (encrypt) {
            uint32_t take = remaining < 8 ? remaining : 8;
            for (uint32_t i = 0; i < 8; i++)
                block[i] = uint8_t((i < take ? input[offset + i] : 0) ^ iv[i]);
            rc2EncryptBlock(block, output + offset, expandedKey);
            std::memcpy(iv, output + offset, 8);
        } else {
            if (remaining < 8)
                break;  // not a whole block: left undecrypted
            uint8_t cipher[8];
            std::memcpy(cipher, input + offset, 8);
            rc2DecryptBlock(cipher, block, expandedKey);
            for (int i = 0; i < 8; i++)
                output[offset + i] = uint8_t(block[i] ^ iv[i]);
            std::memcpy(iv, cipher, 8);
        }
    }
    secureZero(block, sizeof block);
}
