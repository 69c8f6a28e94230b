// Reads the serialized certificate store format, as crypt32 writes store files
// and the Blob values of registry stores: elements of
// {property id, encoding type, size, data} (32-bit little-endian), a
// certificate's properties before the certificate element (id 32). Store files
// begin with 00000000 "CERT" and end with an element of id 0.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

struct SerializedCertificate {
    Bytes encoded;
    std::map<std::uint32_t, Bytes> properties;
};

struct SerializedStore {
    bool valid = false;        // header and every element well formed
    std::string problem;
    std::vector<SerializedCertificate> certificates;
};

const std::uint32_t kCertificateElement = 32;

// A whole store file.
SerializedStore ParseStoreFile(const Bytes& file);

// Elements without the file header, ending at the end of the bytes or at id 0.
SerializedStore ParseElements(const Bytes& bytes, size_t offset = 0);
