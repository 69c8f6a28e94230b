#pragma once
// The records that CCryptoki's listings fill. The caller owns the record and
// everything the listing allocates into it; ReleaseCertificateEntries and
// ReleasePrivateKeyEntries free exactly that (not the record itself).

#include "platform/cryptoki/cryptoki.h"

#include <cstdint>

struct CertificateEntry {
    enum { TEXT_SIZE = 256 };
    char label[TEXT_SIZE];
    char subject[TEXT_SIZE];
    char serial[TEXT_SIZE];
    char issuer[TEXT_SIZE];
    char notAfter[TEXT_SIZE];
    char notBefore[TEXT_SIZE];
    unsigned char* value;      // new[]; null until the entry is filled
    uint32_t valueLength;
    CK_OBJECT_HANDLE handle;
};

struct CertificateList {
    CertificateEntry* entries; // new[] with count elements; untouched when nothing is found
    uint32_t count;
};

struct PrivateKeyEntry {
    enum { LABEL_SIZE = 260 };
    char label[LABEL_SIZE];
    CK_OBJECT_HANDLE handle;
};

struct PrivateKeyList {
    PrivateKeyEntry* entries;  // new[] with count elements; untouched when nothing is found
    uint32_t count;
};

// Frees every entry's value and the entries array; leaves entries null and count 0.
void ReleaseCertificateEntries(CertificateList& list);

// Frees the entries array; leaves entries null and count 0.
void ReleasePrivateKeyEntries(PrivateKeyList& list);
