#include "tests/asn1/Fixtures.h"

#include <gtest/gtest.h>

const CertificateFacts kCertificateFacts[] = {
#include "tests/asn1/fixtures/expected.inc"
};
const size_t kCertificateFactsCount = sizeof kCertificateFacts / sizeof kCertificateFacts[0];

CByteArray LoadFixture(const std::string& name)
{
    for (size_t i = 0; i < kFixtureFileCount; ++i)
        if (name == kFixtureFiles[i].name)
            return CByteArray(kFixtureFiles[i].data, static_cast<uint32_t>(kFixtureFiles[i].size));
    ADD_FAILURE() << "no fixture " << name;
    return CByteArray();
}

std::string FixtureText(const std::string& name)
{
    CByteArray octets = LoadFixture(name);
    return std::string(reinterpret_cast<const char*>(octets.getData()), octets.getSize());
}
