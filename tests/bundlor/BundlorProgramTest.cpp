// The real bundlor.exe under Wine with Wine's crypt32: only what Wine's crypt32
// does as the platform does (it refuses property 0x8444, cannot read back a
// store file that holds properties, and opens a missing input file as a new
// empty store). Text-mode streams end lines with CR LF.
#include "tests/bundlor/ProgramRunner.h"
#include "tests/bundlor/SerializedStore.h"
#include "tests/bundlor/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Crlf(const std::string& text)
{
    std::string converted;
    for (char c : text) {
        if (c == '\n')
            converted += '\r';
        converted += c;
    }
    return converted;
}

// CERT_FRIENDLY_NAME_PROP_ID, as it appears in the serialized format.
const std::uint32_t kFriendlyNameProperty = 11;

const char* const kUsage =
    "Usage:\n\nbundlor [OPTIONS] DESTSTORE [CERT|STORE]+\n\n\tOPTIONS:\n"
    "\t\t--system-store (utilizza uno store di sistema e non un file)\n\t\t--auth\n\t\t--sign\n";

class BundlorProgram : public ::testing::Test {
protected:
    void SetUp() override { folder = FreshScratchFolder(); }

    ProgramResult Run(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), "bundlor");
        ProgramResult result = RunProgram(BUNDLOR_EXE, arguments, folder);
        EXPECT_TRUE(result.started) << "CreateProcess " << GetLastError();
        return result;
    }

    // The certificates of a store file, in the file's order.
    std::vector<SerializedCertificate> Certificates(const std::string& path)
    {
        SerializedStore store = ParseStoreFile(ReadFileBytes(path));
        EXPECT_TRUE(store.valid) << path << ": " << store.problem;
        return store.certificates;
    }

    std::vector<Bytes> Encoded(const std::string& path)
    {
        std::vector<Bytes> encoded;
        for (const SerializedCertificate& certificate : Certificates(path))
            encoded.push_back(certificate.encoded);
        return encoded;
    }

    std::string folder;
};

std::vector<Bytes> Sorted(std::vector<Bytes> values)
{
    std::sort(values.begin(), values.end());
    return values;
}

std::vector<std::string> SortedLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line))
        lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

}  // namespace

TEST_F(BundlorProgram, TooFewArgumentsWriteTheUsageToStandardErrorAndExitOne)
{
    const std::vector<std::vector<std::string>> cases = {
        {}, {"--auth", "--sign"}, {"--system-store"}, {"dest.sst"}, {"--sign", "dest.sst"}};
    for (const auto& arguments : cases) {
        ProgramResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, 1u);
        EXPECT_EQ(result.err, Crlf(kUsage));
        EXPECT_EQ(result.out, "");
    }
    EXPECT_FALSE(FileExists(folder + "/dest.sst")) << "no store is opened for the usage";
}

TEST_F(BundlorProgram, DestinationFileThatCannotBeOpenedExitsTwo)
{
    ProgramResult result = Run({folder + "/no-such-folder/dest.sst", FixturePath("leaf.der")});
    EXPECT_EQ(result.exitCode, 2u);
    EXPECT_EQ(result.err, "*** Can't open cert store.\r\n");
    EXPECT_EQ(result.out, "");
}

TEST_F(BundlorProgram, NewStoreFileIsCreatedHoldingTheCertificatesAdded)
{
    std::string dest = folder + "/new.sst";
    std::string leaf = FixturePath("leaf.der"), root = FixturePath("root.der");
    ProgramResult result = Run({dest, leaf, root});
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.out, Crlf("Cert: " + leaf + "\nName: Bundlor Test Leaf\nCert: " + root +
                               "\nName: Bundlor Test Root CA\n"));
    EXPECT_EQ(result.err, "");
    // The order inside the file is the platform's.
    std::vector<SerializedCertificate> stored = Certificates(dest);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(Sorted(Encoded(dest)), Sorted({Fixture("leaf.der"), Fixture("root.der")}));
    EXPECT_TRUE(stored[0].properties.empty());
    EXPECT_TRUE(stored[1].properties.empty());
}

TEST_F(BundlorProgram, ExistingStoreFileKeepsItsCertificatesAndGainsNewOnes)
{
    std::string dest = folder + "/grow.sst";
    ASSERT_EQ(Run({dest, FixturePath("leaf.der")}).exitCode, 0u);
    ProgramResult second = Run({dest, FixturePath("plain.der"), FixturePath("other.der")});
    EXPECT_EQ(second.exitCode, 0u);
    EXPECT_EQ(second.err, "");
    EXPECT_EQ(Sorted(Encoded(dest)),
              Sorted({Fixture("leaf.der"), Fixture("plain.der"), Fixture("other.der")}));
}

TEST_F(BundlorProgram, CertificateAlreadyPresentIsReplacedNotDuplicated)
{
    std::string dest = folder + "/again.sst";
    std::string leaf = FixturePath("leaf.der");
    ASSERT_EQ(Run({dest, leaf}).exitCode, 0u);
    ProgramResult result = Run({dest, leaf, leaf});
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.out, Crlf("Cert: " + leaf + "\nName: Bundlor Test Leaf\nCert: " + leaf +
                               "\nName: Bundlor Test Leaf\n"));
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(Encoded(dest), std::vector<Bytes>{Fixture("leaf.der")});
}

TEST_F(BundlorProgram, Pkcs7InputAddsEachOfItsCertificatesWithOneNameLine)
{
    std::string dest = folder + "/chain.sst";
    std::string chain = FixturePath("chain.p7b");
    ProgramResult result = Run({dest, chain});
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out.substr(0, 8 + chain.size()), "Cert: " + chain + "\r\n");
    EXPECT_EQ(SortedLines(result.out.substr(8 + chain.size())),
              (std::vector<std::string>{"Name: Bundlor Test Intermediate CA\r",
                                        "Name: Bundlor Test Leaf\r",
                                        "Name: Bundlor Test Root CA\r"}));
    EXPECT_EQ(Sorted(Encoded(dest)),
              Sorted({Fixture("leaf.der"), Fixture("inter.der"), Fixture("root.der")}));
}

TEST_F(BundlorProgram, InputsThatAreNoCertificateAreReportedAndTheRunGoesOn)
{
    std::string dest = folder + "/bad.sst";
    std::string directory = folder + "/adir";
    ASSERT_TRUE(CreateDirectoryA(directory.c_str(), nullptr));
    std::string garbage = FixturePath("garbage.bin"), truncated = FixturePath("truncated.der");
    std::string missingFolder = folder + "/nofolder/x.der", leaf = FixturePath("leaf.der");
    ProgramResult result = Run({dest, garbage, truncated, directory, missingFolder, leaf});
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.err, Crlf("*** Bad certificate <8009310b>\n"
                               "*** Bad certificate <80093102>\n"
                               "*** Can't open certificate <80070005>\n"
                               "*** Can't open certificate <80070003>\n"));
    EXPECT_EQ(result.out, Crlf("Cert: " + garbage + "\nCert: " + truncated + "\nCert: " +
                               directory + "\nCert: " + missingFolder + "\nCert: " + leaf +
                               "\nName: Bundlor Test Leaf\n"));
    EXPECT_EQ(Encoded(dest), std::vector<Bytes>{Fixture("leaf.der")});
}

TEST_F(BundlorProgram, OptionAfterTheDestinationIsAnInput)
{
    std::string dest = folder + "/late.sst";
    std::string leaf = FixturePath("leaf.der");
    ProgramResult result = Run({dest, "--auth", leaf});
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.out, Crlf("Cert: --auth\nCert: " + leaf + "\nName: Bundlor Test Leaf\n"));
    // Wine opens the missing file "--auth" as a new empty store; the platform
    // reports it as a file that cannot be opened.
    EXPECT_TRUE(result.err == "" || result.err == "*** Can't open certificate <80070002>\r\n")
        << result.err;
    std::vector<SerializedCertificate> stored = Certificates(dest);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_TRUE(stored[0].properties.empty()) << "the late option gave no role";
}

TEST_F(BundlorProgram, SignThenAuthTagsWithTheAuthenticationFriendlyName)
{
    std::string dest = folder + "/role.sst";
    std::string leaf = FixturePath("leaf.der");
    ProgramResult result = Run({"--sign", "--auth", dest, leaf});
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.out, Crlf("Cert: " + leaf + "\nName: Bundlor Test Leaf\n"));
    // Wine refuses the role property 0x8444 and leaves no error code.
    EXPECT_EQ(result.err, "*** Can't add certificate <80004005>\r\n");
    std::vector<SerializedCertificate> stored = Certificates(dest);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].encoded, Fixture("leaf.der"));
    ASSERT_EQ(stored[0].properties.count(kFriendlyNameProperty), 1u);
    EXPECT_EQ(stored[0].properties.at(kFriendlyNameProperty),
              Utf16WithZero("[IT-AUTH] Bundlor Test Leaf"));
}

namespace {

const char* const kSystemStores = "Software\\Microsoft\\SystemCertificates\\";

std::string CertificateKey(const std::string& store, const std::string& fixture)
{
    return kSystemStores + store + "\\Certificates\\" + Fingerprint(fixture);
}

bool KeyExists(const std::string& key)
{
    HKEY opened;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

Bytes BlobOf(const std::string& key)
{
    HKEY opened;
    Bytes blob;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return blob;
    DWORD size = 0;
    if (RegQueryValueExA(opened, "Blob", nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
        blob.resize(size);
        RegQueryValueExA(opened, "Blob", nullptr, nullptr, blob.data(), &size);
        blob.resize(size);
    }
    RegCloseKey(opened);
    return blob;
}

void ForgetSystemStore(const std::string& store)
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, (kSystemStores + store).c_str());
    RegDeleteTreeA(HKEY_CURRENT_USER, (kSystemStores + store).c_str());
}

void ForgetCertificate(const std::string& store, const std::string& fixture)
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, CertificateKey(store, fixture).c_str());
    RegDeleteTreeA(HKEY_CURRENT_USER, CertificateKey(store, fixture).c_str());
}

}  // namespace

TEST_F(BundlorProgram, SystemStoreModeRoutesOnlyIntermediateCasToCa)
{
    const std::string dest = "BundlorRoutingTest";
    const char* const fixtures[] = {"leaf.der", "inter.der", "root.der", "plain.der"};
    ForgetSystemStore(dest);
    for (const char* fixture : fixtures)
        ForgetCertificate("CA", fixture);

    std::vector<std::string> arguments = {"--system-store", dest};
    for (const char* fixture : fixtures)
        arguments.push_back(FixturePath(fixture));
    ProgramResult result = Run(arguments);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out,
              Crlf("Cert: " + FixturePath("leaf.der") + "\nName: Bundlor Test Leaf\n"
                   "Cert: " + FixturePath("inter.der") + "\nName: Bundlor Test Intermediate CA\n"
                   "Cert: " + FixturePath("root.der") + "\nName: Bundlor Test Root CA\n"
                   "Cert: " + FixturePath("plain.der") + "\nName: Bundlor Test Plain\n"));

    // End entity, self-signed CA and no basicConstraints: the destination.
    for (const char* fixture : {"leaf.der", "root.der", "plain.der"}) {
        EXPECT_TRUE(KeyExists(CertificateKey(dest, fixture))) << fixture;
        EXPECT_FALSE(KeyExists(CertificateKey("CA", fixture))) << fixture;
    }
    // Intermediate CA: "CA" only.
    EXPECT_TRUE(KeyExists(CertificateKey("CA", "inter.der")));
    EXPECT_FALSE(KeyExists(CertificateKey(dest, "inter.der")));

    SerializedStore held = ParseElements(BlobOf(CertificateKey("CA", "inter.der")));
    ASSERT_TRUE(held.valid) << held.problem;
    ASSERT_EQ(held.certificates.size(), 1u);
    EXPECT_EQ(held.certificates[0].encoded, Fixture("inter.der"));
    ForgetSystemStore(dest);
    ForgetCertificate("CA", "inter.der");
}

TEST_F(BundlorProgram, SystemStoreCopyCarriesTheFriendlyName)
{
    const std::string dest = "BundlorRoleTest";
    ForgetSystemStore(dest);
    std::string leaf = FixturePath("leaf.der");
    ProgramResult result = Run({"--system-store", "--sign", "--auth", dest, leaf});
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.out, Crlf("Cert: " + leaf + "\nName: Bundlor Test Leaf\n"));
    EXPECT_EQ(result.err, "*** Can't add certificate <80004005>\r\n");   // Wine refuses 0x8444

    SerializedStore held = ParseElements(BlobOf(CertificateKey(dest, "leaf.der")));
    ASSERT_TRUE(held.valid) << held.problem;
    ASSERT_EQ(held.certificates.size(), 1u);
    EXPECT_EQ(held.certificates[0].encoded, Fixture("leaf.der"));
    ASSERT_EQ(held.certificates[0].properties.count(kFriendlyNameProperty), 1u);
    EXPECT_EQ(held.certificates[0].properties.at(kFriendlyNameProperty),
              Utf16WithZero("[IT-AUTH] Bundlor Test Leaf"));
    ForgetSystemStore(dest);
}
