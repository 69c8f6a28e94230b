#pragma once
// DES (FIPS 46-3) as three-key triple DES, encrypt-decrypt-encrypt, in CBC mode.

#include <cstdint>

struct DES3Context {
    uint32_t schedule1[32];
    uint32_t schedule2[32];
    uint32_t schedule3[32];
    uint32_t chain[2];    // the IV, then the last ciphertext block
    uint32_t savedIV[2];
    uint32_t encrypt;     // 1 encrypt, 0 decrypt
};

enum { DES3_ERROR_LENGTH = 1030 };

// Sixteen round keys, two words each; with encrypt clear they are stored in
// reverse order so that the same block function decrypts.
void desKeySchedule(uint32_t schedule[32], const uint8_t key[8], int encrypt);
void desSetOddParity(uint8_t* key, uint32_t n);
// One DES block through a schedule, the two words in place.
void desProcessBlock(uint32_t block[2], const uint32_t schedule[32]);

void des3Init(DES3Context* context, const uint8_t key[24], const uint8_t iv[8], int encrypt);
// 0, or DES3_ERROR_LENGTH (nothing written) when n is not a multiple of 8.
int des3Process(DES3Context* context, uint8_t* output, const uint8_t* input, uint32_t n);
void des3ResetIV(DES3Context* context);
