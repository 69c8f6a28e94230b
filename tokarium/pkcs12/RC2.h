#pragma once
// RC2 (RFC 2268) with CBC mode.

#include <cstdint>

enum { RC2_KEY_WORDS = 64 };

// T key octets (at least 1; above 128 only 128 are used), T1 effective key bits
// (outside 1 to 1024 taken as 1024).
void rc2KeySchedule(uint32_t expandedKey[RC2_KEY_WORDS], uint32_t keyLength, const uint8_t* key,
                    int32_t effectiveBits);
void rc2EncryptBlock(const uint8_t input[8], uint8_t output[8], const uint32_t expandedKey[RC2_KEY_WORDS]);
void rc2DecryptBlock(const uint8_t input[8], uint8_t output[8], const uint32_t expandedKey[RC2_KEY_WORDS]);

// CBC over n octets; iv is updated in place. Decryption needs n to be a multiple
// of 8. Encryption completes a trailing partial block with zeros, so the output
// needs room for n rounded up to a multiple of 8.
void rc2Cbc(const uint8_t* input, uint8_t* output, uint32_t n, const uint32_t expandedKey[RC2_KEY_WORDS],
            uint8_t iv[8], int encrypt);
