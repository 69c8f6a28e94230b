// pbeDecrypt over mutated algorithm identifiers: the input is one DER value (the
// AlgorithmIdentifier) followed by the ciphertext.
#include "tokarium/app/ActivityLog.h"
#include "tokarium/pkcs12/PBEDecrypt.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    theLog.SetLevel(0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0x10000)
        return 0;
    try {
        CByteStream stream(data, uint32_t(size));
        CASN1AlgorithmIdentifier algorithm{CASN1Object(stream)};
        CASN1Object cipher(0x04);
        cipher.setContent(CByteArray(data + stream.tell(), uint32_t(size - stream.tell())));
        CByteArray output;
        int result = pbeDecrypt(algorithm, CASN1OctetString(cipher), "Quorin-Test-1", output);
        if (result != 0 && output.getSize() != 0)
            __builtin_trap();  // a refusal must append nothing
        if (result == 0 && output.getSize() != cipher.getContentLength())
            __builtin_trap();
    } catch (int) {
    } catch (long) {
    } catch (CASN1Exception* e) {
        delete e;
    }
    return 0;
}
