#pragma once
// Password to key and IV: the key derivation of PKCS #12 v1.0, appendix B, over SHA-1.

#include <cstdint>

enum {
    PKCS12_ID_KEY = 1,
    PKCS12_ID_IV = 2,
    PKCS12_HASH_SIZE = 20,   // u
    PKCS12_BLOCK_SIZE = 64,  // v
    // Bounds that keep the work areas small and their sizes far from overflow.
    PKCS12_MAX_PASSWORD_OCTETS = 0x10000,
    PKCS12_MAX_SALT_OCTETS = 0x10000,
    PKCS12_MAX_OUTPUT_OCTETS = 0x10000,
    PKCS12_MAX_BLOCK_SIZE = 1024,
};

// Each octet c of the narrow password becomes 00 c, then the terminator 00 00.
// length brings the buffer size in and takes the BMPString length out; when the
// buffer is too small nothing is written, length gets the size needed and the
// result is -1.
int passwordToBMPString(const char* password, uint8_t* buffer, uint32_t* length);

// Writes n octets derived from the password octets (the BMPString with its
// terminator) and the salt. 0, or -1 with nothing written when u is not the SHA-1
// size, v is 0 or above PKCS12_MAX_BLOCK_SIZE, iterations is 0, or a length
// exceeds its bound.
int pkcs12DeriveKey(uint8_t id, uint32_t v, uint32_t u, uint32_t n, const uint8_t* password,
                    uint32_t passwordLength, const uint8_t* salt, uint32_t saltLength, uint32_t iterations,
                    uint8_t* output);
