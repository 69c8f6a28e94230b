#pragma once
// The certificate fixtures made by fixtures/make-fixtures.py, built into the
// test program, and what OpenSSL said about them.

#include "tokarium/asn1/ByteArray.h"

#include <cstddef>
#include <cstdint>
#include <string>

struct FixtureFile {
    const char* name;
    const unsigned char* data;
    size_t size;
};

extern const FixtureFile kFixtureFiles[];
extern const size_t kFixtureFileCount;

// The octets of a fixture file; a missing name fails the calling test.
CByteArray LoadFixture(const std::string& name);
std::string FixtureText(const std::string& name);

struct CertificateFacts {
    const char* name;
    int version;
    const char* serialHex;
    std::string issuer;
    std::string subject;
    const char* notBefore;
    const char* notAfter;
    const char* modulusHex;
    uint32_t exponent;
    bool isCA;
    std::string commonName;
};

extern const CertificateFacts kCertificateFacts[];
extern const size_t kCertificateFactsCount;
