// Any file handed to the certificate import's loader.

#include "tests/asn1/fuzz/FuzzSupport.h"
#include "tokarium/asn1/ASN1.h"

#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > UINT32_MAX)
        return 0;
    CByteArray file(data, static_cast<uint32_t>(size));
    Tolerate([&] {
        std::unique_ptr<CCertificate> certificate(loadCertificate(file));
        FUZZ_CHECK(certificate->getTag() == 0x30);
        CByteArray encoding;
        certificate->encode(encoding);
        FUZZ_CHECK(encoding.getSize() == certificate->getEncodedLength() && encoding.getSize() >= 2);
    });
    return 0;
}
