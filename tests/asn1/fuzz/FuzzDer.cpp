// Parses any input as a series of values and walks each one down to its
// leaves, checking that what is encoded parses back to the same value.

#include "tests/asn1/fuzz/FuzzSupport.h"
#include "tokarium/asn1/ASN1.h"

#include <cstddef>
#include <cstdint>

namespace {

enum { MAX_WALK_DEPTH = 40 };

void checkRoundTrip(const CASN1Object& value)
{
    CByteArray encoding;
    value.encode(encoding);
    FUZZ_CHECK(encoding.getSize() == value.getEncodedLength());
    CASN1Object again(encoding);
    FUZZ_CHECK(again.equals(value));
}

void readAsEveryType(const CASN1Object& value)
{
    CASN1Integer(value).getValue();
    CASN1Boolean(value).getValue();
    CByteArray text;
    CASN1ObjectIdentifier(value).toString(text);
    FUZZ_CHECK(text.getSize() > 0 && text.at(text.getSize() - 1) == 0);
    char time[16];
    FUZZ_CHECK(CASN1UTCTime(value).getText(time, sizeof time) < sizeof time);
    CByteArray copy(value.getContent());
    copy.toHexString(8);
}

void walk(const CASN1Object& value, int depth)
{
    checkRoundTrip(value);
    readAsEveryType(value);
    if (depth >= MAX_WALK_DEPTH)
        return;
    Tolerate([&] {
        CASN1Constructed constructed(value);
        int count = constructed.getChildCount();
        FUZZ_CHECK(count >= 0);
        for (int i = 0; i < count; ++i)
            walk(constructed.getChild(i), depth + 1);
        Tolerate([&] { constructed.getChild(count); });
        Tolerate([&] {
            CByteArray text;
            CName(value).getNameAsString(text);
            FUZZ_CHECK(text.getSize() > 0 && text.at(text.getSize() - 1) == 0);
        });
    });
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    TraceWithoutFile();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > UINT32_MAX)
        return 0;
    CByteStream stream(data, static_cast<uint32_t>(size));
    Tolerate([&] {
        while (stream.remaining() != 0) {
            CASN1Object value(stream);
            walk(value, 0);
        }
    });
    return 0;
}
