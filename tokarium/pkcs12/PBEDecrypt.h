#pragma once
// Decryption of PKCS#12 password-based encryption: pbeWithSHAAnd3-KeyTripleDES-CBC
// and pbeWithSHAAnd40BitRC2-CBC.

#include "tokarium/asn1/ASN1AlgorithmIdentifier.h"
#include "tokarium/asn1/ASN1Primitive.h"
#include "tokarium/asn1/ByteArray.h"

#include <cstdint>

#define OID_PBE_SHA1_3DES "1.2.840.113549.1.12.1.3"
#define OID_PBE_SHA1_RC2_40 "1.2.840.113549.1.12.1.6"

enum : uint32_t {
    // Far above what PKCS#12 writers use (1 to a few thousand); a larger count
    // would keep the import busy for minutes.
    PBE_MAX_ITERATIONS = 1000000,
};

// Appends the whole decrypted ciphertext (padding included) to output; 0 on
// success. -1, nothing appended, for another scheme, a ciphertext length that is
// not a multiple of 8, an iteration count of 0 or above PBE_MAX_ITERATIONS, or a
// salt or password beyond the key derivation's bounds. Malformed parameters throw
// the ASN.1 exceptions.
int pbeDecrypt(const CASN1AlgorithmIdentifier& algorithm, const CASN1OctetString& encryptedData,
               const char* password, CByteArray& output);
