// CPKCS12 construction and decode with a fixed password over mutated files.
#include "tokarium/app/ActivityLog.h"
#include "tokarium/pkcs12/PKCS12.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    theLog.SetLevel(0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0x100000)
        return 0;
    try {
        CByteStream stream(data, uint32_t(size));
        CPKCS12 pkcs12(stream);
        pkcs12.decode("Quorin-Test-1");
        for (CCertificate* certificate : pkcs12.getCertificates()) {
            CByteArray out;
            certificate->encode(out);
        }
        CRSAPrivateKey key = pkcs12.getPrivateKey();
        key.getModulus();
        key.getCoefficient();
    } catch (int) {
    } catch (long) {
    } catch (CASN1Exception* e) {
        delete e;
    }
    return 0;
}
