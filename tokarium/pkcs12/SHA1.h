#pragma once
// SHA-1 (FIPS 180-1), byte-oriented, with sticky error flags instead of exceptions.

#include <cstdint>

struct SHA1Context {
    uint32_t intermediateHash[5];
    uint32_t lengthLow;   // message length in bits, low word
    uint32_t lengthHigh;  // and high word
    uint8_t messageBlock[64];
    int32_t blockIndex;
    int32_t computed;
    int32_t corrupted;
};

enum { SHA1_DIGEST_SIZE = 20 };

void sha1Init(SHA1Context* context);
void sha1Update(SHA1Context* context, const uint8_t* octets, uint32_t n);
// 1 on success, 0 when the context is corrupted.
int sha1Final(SHA1Context* context);

// The digest of a computed context, each word most significant octet first.
void sha1Digest(const SHA1Context* context, uint8_t digest[SHA1_DIGEST_SIZE]);
