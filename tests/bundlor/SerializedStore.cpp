#include "tests/bundlor/SerializedStore.h"

#include <algorithm>

namespace {

std::uint32_t ReadLittleEndian32(const Bytes& bytes, size_t offset)
{
    return static_cast<std::uint32_t>(bytes[offset]) |
           static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

SerializedStore Invalid(const std::string& problem)
{
    SerializedStore store;
    store.problem = problem;
    return store;
}

}  // namespace

SerializedStore ParseStoreFile(const Bytes& file)
{
    static const std::uint8_t header[8] = {0, 0, 0, 0, 'C', 'E', 'R', 'T'};
    if (file.size() < 8 || !std::equal(header, header + 8, file.begin()))
        return Invalid("no store file header");
    SerializedStore store = ParseElements(file, 8);
    if (store.valid && store.problem == "no end element")
        return Invalid("no end element");
    return store;
}

SerializedStore ParseElements(const Bytes& bytes, size_t offset)
{
    SerializedStore store;
    SerializedCertificate pending;
    while (offset < bytes.size()) {
        if (bytes.size() - offset < 12)
            return Invalid("element header cut short");
        std::uint32_t id = ReadLittleEndian32(bytes, offset);
        std::uint32_t encoding = ReadLittleEndian32(bytes, offset + 4);
        std::uint32_t size = ReadLittleEndian32(bytes, offset + 8);
        offset += 12;
        if (id == 0 && encoding == 0 && size == 0) {
            if (!pending.properties.empty())
                return Invalid("properties without a certificate");
            store.valid = true;
            return store;
        }
        if (size > bytes.size() - offset)
            return Invalid("element data cut short");
        Bytes data(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                   bytes.begin() + static_cast<std::ptrdiff_t>(offset + size));
        offset += size;
        if (id == kCertificateElement) {
            pending.encoded = data;
            store.certificates.push_back(pending);
            pending = SerializedCertificate();
        } else {
            pending.properties[id] = data;
        }
    }
    if (!pending.properties.empty())
        return Invalid("properties without a certificate");
    store.valid = true;
    store.problem = "no end element";
    return store;
}
