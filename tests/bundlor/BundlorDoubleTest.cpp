// bundlor's driver against the recording stand-in for crypt32: the exact calls,
// the messages with their streams, the exit codes, the properties written.
#include "bundlor/Bundlor.h"

#include "tests/bundlor/RecordingCertificateFunctions.h"
#include "tests/bundlor/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "Usage:\n\nbundlor [OPTIONS] DESTSTORE [CERT|STORE]+\n\n\tOPTIONS:\n"
    "\t\t--system-store (utilizza uno store di sistema e non un file)\n\t\t--auth\n\t\t--sign\n";

const char* const kLeaf = "Bundlor Test Leaf";
const char* const kInter = "Bundlor Test Intermediate CA";
const char* const kRoot = "Bundlor Test Root CA";
const char* const kPlain = "Bundlor Test Plain";

const DWORD kRoleProperty = 0x8444;

class BundlorWithDouble : public ::testing::Test {
protected:
    int Run(std::vector<std::string> arguments, const std::string& programName = "bundlor")
    {
        arguments.insert(arguments.begin(), programName);
        std::vector<const char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(argument.c_str());
        return RunBundlor(static_cast<int>(argv.size()), argv.data(), functions, console);
    }

    void TearDown() override
    {
        EXPECT_EQ(functions.OpenStoreHandles(), 0) << "a store was left open";
        EXPECT_EQ(functions.LiveContexts(), 0u) << "a certificate context was not freed";
        EXPECT_EQ(functions.UnknownReleases(), 0) << "something was released twice";
    }

    // The subjects a store holds, in order.
    std::vector<std::string> Subjects(const std::string& store)
    {
        std::vector<std::string> subjects;
        const FakeStore* held = functions.Store(store);
        if (!held)
            return subjects;
        for (const auto& certificate : held->certificates) {
            PCCERT_CONTEXT context = CertCreateCertificateContext(
                X509_ASN_ENCODING, certificate->encoded.data(),
                static_cast<DWORD>(certificate->encoded.size()));
            subjects.push_back(context ? SubjectName(context) : "(unreadable)");
            CertFreeCertificateContext(context);
        }
        return subjects;
    }

    const FakeCertificate* Held(const std::string& store, const Bytes& encoded)
    {
        const FakeStore* held = functions.Store(store);
        if (held)
            for (const auto& certificate : held->certificates)
                if (certificate->encoded == encoded)
                    return certificate.get();
        return nullptr;
    }

    std::vector<std::string> Lines(const std::string& prefix)
    {
        std::vector<std::string> lines;
        for (const std::string& line : transcript.lines)
            if (line.compare(0, prefix.size(), prefix) == 0)
                lines.push_back(line);
        return lines;
    }

    Transcript transcript;
    CRecordingCertificateFunctions functions{transcript};
    CRecordingConsole console{transcript};
};

}  // namespace

TEST_F(BundlorWithDouble, TooFewArgumentsWriteTheUsageAndEndWithOne)
{
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--auth"},
        {"--system-store", "--sign", "--auth"},
        {"dest.sst"},
        {"--sign", "dest.sst"},
        {"--system-store", "My"},
    };
    for (const auto& arguments : cases) {
        transcript.lines.clear();
        console.out.clear();
        console.err.clear();
        EXPECT_EQ(Run(arguments), 1);
        EXPECT_EQ(console.err, kUsage);
        EXPECT_EQ(console.out, "");
        EXPECT_EQ(transcript.lines.size(), 1u) << "no certificate call before the usage";
    }
}

TEST_F(BundlorWithDouble, UsageNamesTheProgramAsTyped)
{
    EXPECT_EQ(Run({}, "C:\\Tools\\BUNDLOR.EXE"), 1);
    EXPECT_EQ(console.err.substr(0, 30), "Usage:\n\nC:\\Tools\\BUNDLOR.EXE [");
}

TEST_F(BundlorWithDouble, StoreInputIntoStoreFileMakesExactlyTheseCalls)
{
    functions.InputStore("one.sst", {Fixture("leaf.der")});
    EXPECT_EQ(Run({"dest.sst", "one.sst"}), 0);
    const std::vector<std::string> expected = {
        "CertOpenStore(FILENAME_A, 00010001, 0, 00010000, dest.sst)",
        "out: Cert: one.sst\n",
        "CertOpenStore(FILENAME_A, 00010001, 0, 00000000, one.sst)",
        "CertEnumCertificatesInStore(file:one.sst, null)",
        "CertAddCertificateContextToStore(commit:dest.sst, Bundlor Test Leaf, 3)",
        "CertGetNameStringA(Bundlor Test Leaf in commit:dest.sst, 4, 0, 0)",
        "CertGetNameStringA(Bundlor Test Leaf in commit:dest.sst, 4, 0, 18)",
        "out: Name: Bundlor Test Leaf\n",
        "CertFreeCertificateContext(Bundlor Test Leaf in commit:dest.sst)",
        "CertEnumCertificatesInStore(file:one.sst, Bundlor Test Leaf)",
        "CertCloseStore(file:one.sst, 00000000)",
        "CertCloseStore(commit:dest.sst, 00000000)",
    };
    EXPECT_EQ(transcript.lines, expected);
    const FakeCertificate* leaf = Held("commit:dest.sst", Fixture("leaf.der"));
    ASSERT_NE(leaf, nullptr);
    EXPECT_TRUE(leaf->properties.empty()) << "no role, no tags";
}

TEST_F(BundlorWithDouble, FileInputThatIsNoStoreIsMappedAndAddedWithTheseCalls)
{
    std::string path = FixturePath("leaf.der");
    size_t size = Fixture("leaf.der").size();
    EXPECT_EQ(Run({"dest.sst", path}), 0);
    const std::vector<std::string> expected = {
        "CertOpenStore(FILENAME_A, 00010001, 0, 00010000, dest.sst)",
        "out: Cert: " + path + "\n",
        "CertOpenStore(FILENAME_A, 00010001, 0, 00000000, " + path + ")",
        "CertCreateCertificateContext(00010001, " + std::to_string(size) + " bytes)",
        "CertAddCertificateContextToStore(commit:dest.sst, Bundlor Test Leaf, 3)",
        "CertGetNameStringA(Bundlor Test Leaf in commit:dest.sst, 4, 0, 0)",
        "CertGetNameStringA(Bundlor Test Leaf in commit:dest.sst, 4, 0, 18)",
        "out: Name: Bundlor Test Leaf\n",
        "CertFreeCertificateContext(Bundlor Test Leaf in commit:dest.sst)",
        "CertFreeCertificateContext(Bundlor Test Leaf)",
        "CertCloseStore(commit:dest.sst, 00000000)",
    };
    EXPECT_EQ(transcript.lines, expected);
    EXPECT_NE(Held("commit:dest.sst", Fixture("leaf.der")), nullptr);
    EXPECT_TRUE(NobodyHoldsFile(path));
}

TEST_F(BundlorWithDouble, RoleOptionsTagTheStoredCopyWithPrefixAndRoleValue)
{
    struct Case {
        std::vector<std::string> options;
        std::string prefix;
        std::uint8_t roleValue;
    } cases[] = {
        {{"--sign"}, "[IT-SIGN] ", 3},
        {{"--auth"}, "[IT-AUTH] ", 1},
        {{"--sign", "--auth"}, "[IT-AUTH] ", 1},
        {{"--auth", "--sign"}, "[IT-SIGN] ", 3},
        {{"--auth", "--system-store", "--auth"}, "[IT-AUTH] ", 1},
    };
    int run = 0;
    for (const Case& c : cases) {
        std::string dest = "dest" + std::to_string(++run) + ".sst";
        bool system = std::find(c.options.begin(), c.options.end(), "--system-store") != c.options.end();
        std::string store = system ? "machine:" + dest : "commit:" + dest;
        functions.InputStore("one.sst", {Fixture("leaf.der")});
        transcript.lines.clear();
        std::vector<std::string> arguments = c.options;
        arguments.push_back(dest);
        arguments.push_back("one.sst");
        EXPECT_EQ(Run(arguments), 0);

        std::string copy = std::string(kLeaf) + " in " + store;
        std::vector<std::string> tagging = Lines("CertSetCertificateContextProperty");
        std::vector<std::string> expected = {
            "CertSetCertificateContextProperty(" + copy + ", 0xB, 0, 56 bytes)",
            "CertSetCertificateContextProperty(" + copy + ", 0x8444, 0, 4 bytes)",
        };
        EXPECT_EQ(tagging, expected) << c.prefix;
        const FakeCertificate* leaf = Held(store, Fixture("leaf.der"));
        ASSERT_NE(leaf, nullptr) << store;
        EXPECT_EQ(leaf->properties.at(CERT_FRIENDLY_NAME_PROP_ID),
                  Utf16WithZero(c.prefix + kLeaf));
        EXPECT_EQ(leaf->properties.at(kRoleProperty), (Bytes{c.roleValue, 0, 0, 0}));
        EXPECT_EQ(console.err, "");
    }
}

TEST_F(BundlorWithDouble, CertificateAlreadyPresentIsReplacedAndTaggedAgain)
{
    functions.InputStore("one.sst", {Fixture("leaf.der")});
    EXPECT_EQ(Run({"dest.sst", "one.sst"}), 0);
    transcript.lines.clear();
    EXPECT_EQ(Run({"--sign", "dest.sst", "one.sst", "one.sst"}), 0);

    EXPECT_EQ(Subjects("commit:dest.sst"), std::vector<std::string>{kLeaf});
    EXPECT_EQ(Lines("CertSetCertificateContextProperty").size(), 4u) << "tagged on each add";
    const FakeCertificate* leaf = Held("commit:dest.sst", Fixture("leaf.der"));
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(leaf->properties.at(CERT_FRIENDLY_NAME_PROP_ID),
              Utf16WithZero(std::string("[IT-SIGN] ") + kLeaf));
    EXPECT_EQ(console.err, "");
}

TEST_F(BundlorWithDouble, SystemStoresOpenMachineFirstThenTheUsersAndCloseCaFirst)
{
    struct Case {
        std::vector<std::string> failing;
        std::vector<std::string> opens;   // the open calls in order
        std::string caStore, destination;
    } cases[] = {
        {{},
         {"CertOpenStore(SYSTEM_A, 00010001, 0, 00020000, CA)",
          "CertOpenStore(SYSTEM_A, 00010001, 0, 00020000, My)"},
         "machine:CA", "machine:My"},
        {{"machine:CA", "machine:My"},
         {"CertOpenStore(SYSTEM_A, 00010001, 0, 00020000, CA)", "CertOpenSystemStoreA(0, CA)",
          "CertOpenStore(SYSTEM_A, 00010001, 0, 00020000, My)", "CertOpenSystemStoreA(0, My)"},
         "user:CA", "user:My"},
        {{"machine:CA", "user:CA"},
         {"CertOpenStore(SYSTEM_A, 00010001, 0, 00020000, CA)", "CertOpenSystemStoreA(0, CA)",
          "CertOpenStore(SYSTEM_A, 00010001, 0, 00020000, My)"},
         "", "machine:My"},
    };
    for (const Case& c : cases) {
        Transcript local;
        CRecordingCertificateFunctions calls(local);
        CRecordingConsole messages(local);
        for (const std::string& store : c.failing)
            calls.FailOpen(store, ERROR_ACCESS_DENIED);
        calls.InputStore("one.sst", {Fixture("inter.der")});
        const char* argv[] = {"bundlor", "--system-store", "My", "one.sst"};
        EXPECT_EQ(RunBundlor(4, argv, calls, messages), 0);

        std::vector<std::string> opens(local.lines.begin(),
                                       local.lines.begin() + static_cast<std::ptrdiff_t>(c.opens.size()));
        EXPECT_EQ(opens, c.opens);
        EXPECT_EQ(messages.err, "") << "a missing CA store is silent";
        std::vector<std::string> closes;
        for (const std::string& line : local.lines)
            if (line.compare(0, 14, "CertCloseStore") == 0 && line.find("file:") == std::string::npos)
                closes.push_back(line);
        std::vector<std::string> expectedCloses;
        if (!c.caStore.empty())
            expectedCloses.push_back("CertCloseStore(" + c.caStore + ", 00000000)");
        expectedCloses.push_back("CertCloseStore(" + c.destination + ", 00000000)");
        EXPECT_EQ(closes, expectedCloses);
        // The intermediate goes to the CA store when there is one.
        std::string target = c.caStore.empty() ? c.destination : c.caStore;
        ASSERT_NE(calls.Store(target), nullptr);
        EXPECT_EQ(calls.Store(target)->certificates.size(), 1u) << target;
        EXPECT_EQ(calls.OpenStoreHandles(), 0);
        EXPECT_EQ(calls.LiveContexts(), 0u);
    }
}

TEST_F(BundlorWithDouble, DestinationThatCannotBeOpenedEndsWithTwo)
{
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> failing;
        std::vector<std::string> expected;
    } cases[] = {
        {{"dest.sst", "one.sst"},
         {"commit:dest.sst"},
         {"CertOpenStore(FILENAME_A, 00010001, 0, 00010000, dest.sst)",
          "err: *** Can't open cert store.\n"}},
        {{"--system-store", "My", "one.sst"},
         {"machine:My", "user:My"},
         {"CertOpenStore(SYSTEM_A, 00010001, 0, 00020000, CA)",
          "CertOpenStore(SYSTEM_A, 00010001, 0, 00020000, My)", "CertOpenSystemStoreA(0, My)",
          "err: *** Can't open cert store.\n", "CertCloseStore(machine:CA, 00000000)"}},
    };
    for (const Case& c : cases) {
        transcript.lines.clear();
        console.out.clear();
        console.err.clear();
        for (const std::string& store : c.failing)
            functions.FailOpen(store, ERROR_ACCESS_DENIED);
        EXPECT_EQ(Run(c.arguments), 2);
        EXPECT_EQ(transcript.lines, c.expected);
        EXPECT_EQ(console.err, "*** Can't open cert store.\n");
        EXPECT_EQ(console.out, "");
    }
}

TEST_F(BundlorWithDouble, SystemStoreModeRoutesIntermediateCasToTheCaStore)
{
    for (const char* name : {"leaf.der", "inter.der", "root.der", "plain.der"})
        functions.InputStore(name, {Fixture(name)});
    EXPECT_EQ(Run({"--system-store", "My", "leaf.der", "inter.der", "root.der", "plain.der"}), 0);

    EXPECT_EQ(Subjects("machine:My"), (std::vector<std::string>{kLeaf, kRoot, kPlain}));
    EXPECT_EQ(Subjects("machine:CA"), std::vector<std::string>{kInter});
    // basicConstraints is decoded by the platform, for the three that have one.
    std::vector<std::string> decodes = Lines("CryptDecodeObject");
    ASSERT_EQ(decodes.size(), 3u);
    for (const std::string& line : decodes)
        EXPECT_EQ(line.substr(0, 39), "CryptDecodeObject(00010001, 2.5.29.19, ") << line;
    for (const std::string& line : decodes)
        EXPECT_NE(line.find(", 0, offered 12)"), std::string::npos) << line;
    EXPECT_EQ(console.err, "");
}

TEST_F(BundlorWithDouble, WithoutCaRoutingEverythingGoesToTheDestination)
{
    // No system-store mode; then a failed decode of basicConstraints.
    functions.InputStore("chain.p7b", {Fixture("leaf.der"), Fixture("inter.der"), Fixture("root.der")});
    EXPECT_EQ(Run({"dest.sst", "chain.p7b"}), 0);
    EXPECT_EQ(Subjects("commit:dest.sst"), (std::vector<std::string>{kLeaf, kInter, kRoot}));
    EXPECT_TRUE(Lines("CryptDecodeObject").empty());

    functions.FailDecode(static_cast<DWORD>(CRYPT_E_ASN1_BADTAG));
    EXPECT_EQ(Run({"--system-store", "Trust", "chain.p7b"}), 0);
    EXPECT_EQ(Subjects("machine:Trust"), (std::vector<std::string>{kLeaf, kInter, kRoot}));
    EXPECT_EQ(functions.Store("machine:CA")->certificates.size(), 0u);
    EXPECT_EQ(console.err, "");
}

TEST_F(BundlorWithDouble, StoreInputReportsEachFailedAddAndGoesOn)
{
    functions.InputStore("chain.p7b", {Fixture("leaf.der"), Fixture("inter.der"), Fixture("root.der")});
    functions.FailAdd("commit:dest.sst", kLeaf, static_cast<DWORD>(CRYPT_E_EXISTS));
    functions.FailAdd("commit:dest.sst", kInter, ERROR_ACCESS_DENIED);
    functions.FailAdd("commit:dest.sst", kRoot, 0);   // a failure that sets no code
    functions.InputStore("two.sst", {Fixture("plain.der")});
    EXPECT_EQ(Run({"dest.sst", "chain.p7b", "two.sst"}), 0);

    EXPECT_EQ(console.err,
              "*** Already exist\n"
              "*** Can't add certificate <80070005>\n"
              "*** Can't add certificate <80004005>\n");
    EXPECT_EQ(console.out, "Cert: chain.p7b\nCert: two.sst\nName: Bundlor Test Plain\n");
    EXPECT_EQ(Subjects("commit:dest.sst"), std::vector<std::string>{kPlain});
}

TEST_F(BundlorWithDouble, FileInputReportsItsAddFailuresInItsOwnWords)
{
    struct Case {
        DWORD error;
        std::string message;
    } cases[] = {
        {static_cast<DWORD>(CRYPT_E_EXISTS), "*** Certificate already exist\n"},
        {ERROR_ACCESS_DENIED, "*** Can't add certificate to store <80070005>\n"},
        {static_cast<DWORD>(E_OUTOFMEMORY), "*** Can't add certificate to store <8007000e>\n"},
    };
    std::string path = FixturePath("leaf.der");
    for (const Case& c : cases) {
        console.err.clear();
        console.out.clear();
        functions.FailAdd("commit:dest.sst", kLeaf, c.error);
        EXPECT_EQ(Run({"dest.sst", path}), 0);
        EXPECT_EQ(console.err, c.message);
        EXPECT_EQ(console.out, "Cert: " + path + "\n");
        EXPECT_TRUE(NobodyHoldsFile(path));
    }
}

TEST_F(BundlorWithDouble, FileInputFailuresAreReportedAndTheRunGoesOn)
{
    std::string folder = FreshScratchFolder();
    std::string empty = folder + "/empty.der", garbage = folder + "/garbage.bin";
    std::string truncated = folder + "/truncated.der", directory = folder + "/adir";
    ASSERT_TRUE(WriteFileBytes(empty, Bytes()));
    ASSERT_TRUE(WriteFileBytes(garbage, Fixture("garbage.bin")));
    ASSERT_TRUE(WriteFileBytes(truncated, Fixture("truncated.der")));
    ASSERT_TRUE(CreateDirectoryA(directory.c_str(), nullptr));
    struct Case {
        std::string input;
        std::string message;
    } cases[] = {
        {folder + "/missing.der", "*** Can't open certificate <80070002>\n"},
        {folder + "/nofolder/missing.der", "*** Can't open certificate <80070003>\n"},
        {directory, "*** Can't open certificate <80070005>\n"},
        {empty, "*** Can't map certificate in memory <800703ee>\n"},
        {garbage, "*** Bad certificate <8009310b>\n"},    // CRYPT_E_ASN1_BADTAG
        {truncated, "*** Bad certificate <80093102>\n"},  // CRYPT_E_ASN1_EOD
    };
    functions.InputStore("good.sst", {Fixture("plain.der")});
    for (const Case& c : cases) {
        console.err.clear();
        console.out.clear();
        EXPECT_EQ(Run({"dest.sst", c.input, "good.sst"}), 0) << c.input;
        EXPECT_EQ(console.err, c.message);
        EXPECT_EQ(console.out, "Cert: " + c.input + "\nCert: good.sst\nName: Bundlor Test Plain\n");
    }
    for (const std::string& path : {empty, garbage, truncated})
        EXPECT_TRUE(NobodyHoldsFile(path)) << path;
}

TEST_F(BundlorWithDouble, OptionAfterTheDestinationIsAnInputAndChangesNoRole)
{
    std::string folder = FreshScratchFolder();
    std::string dest = folder + "/dest.sst";
    SetCurrentDirectoryA(folder.c_str());
    functions.InputStore("one.sst", {Fixture("leaf.der")});
    EXPECT_EQ(Run({"--sign", dest, "--auth", "one.sst"}), 0);
    EXPECT_EQ(console.out, "Cert: --auth\nCert: one.sst\nName: Bundlor Test Leaf\n");
    EXPECT_EQ(console.err, "*** Can't open certificate <80070002>\n");
    const FakeCertificate* leaf = Held("commit:" + dest, Fixture("leaf.der"));
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(leaf->properties.at(CERT_FRIENDLY_NAME_PROP_ID),
              Utf16WithZero(std::string("[IT-SIGN] ") + kLeaf));
    EXPECT_EQ(leaf->properties.at(kRoleProperty), (Bytes{3, 0, 0, 0}));
}

TEST_F(BundlorWithDouble, FailedTaggingIsReportedAndTheCopyStaysUntaggedOrHalfTagged)
{
    struct Case {
        DWORD property;
        DWORD error;
        std::string storeMessage, fileMessage;
        bool friendlyNameSet;
    } cases[] = {
        {CERT_FRIENDLY_NAME_PROP_ID, ERROR_ACCESS_DENIED, "*** Can't add certificate <80070005>\n",
         "*** Can't add certificate to store <80070005>\n", false},
        {kRoleProperty, static_cast<DWORD>(E_INVALIDARG), "*** Can't add certificate <80070057>\n",
         "*** Can't add certificate to store <80070057>\n", true},
        {kRoleProperty, 0, "*** Can't add certificate <80004005>\n",
         "*** Can't add certificate to store <80004005>\n", true},
    };
    int run = 0;
    for (const Case& c : cases) {
        Transcript local;
        CRecordingCertificateFunctions calls(local);
        CRecordingConsole messages(local);
        calls.FailProperty(c.property, c.error);
        calls.InputStore("one.sst", {Fixture("root.der")});
        std::string leafPath = FixturePath("leaf.der");
        std::string dest = "dest" + std::to_string(++run) + ".sst";
        const char* argv[] = {"bundlor", "--auth", dest.c_str(), "one.sst", leafPath.c_str()};
        EXPECT_EQ(RunBundlor(5, argv, calls, messages), 0);

        EXPECT_EQ(messages.err, c.storeMessage + c.fileMessage);
        EXPECT_EQ(messages.out, "Cert: one.sst\nName: Bundlor Test Root CA\nCert: " + leafPath +
                                    "\nName: Bundlor Test Leaf\n");
        const FakeStore* store = calls.Store("commit:" + dest);
        ASSERT_NE(store, nullptr);
        ASSERT_EQ(store->certificates.size(), 2u) << "added, even if the tags failed";
        for (const auto& certificate : store->certificates) {
            EXPECT_EQ(certificate->properties.count(CERT_FRIENDLY_NAME_PROP_ID) == 1, c.friendlyNameSet);
            EXPECT_EQ(certificate->properties.count(kRoleProperty), 0u);
        }
        size_t roleCalls = 0;
        for (const std::string& line : local.lines)
            roleCalls += line.find(", 0x8444, ") != std::string::npos;
        EXPECT_EQ(roleCalls, c.friendlyNameSet ? 2u : 0u) << "no role after a failed friendly name";
        EXPECT_EQ(calls.LiveContexts(), 0u) << "stored copies are freed on failure too";
        EXPECT_EQ(calls.OpenStoreHandles(), 0);
        EXPECT_TRUE(NobodyHoldsFile(leafPath));
    }
}

TEST_F(BundlorWithDouble, InputsAreUsedInOrderAndClosedEachBeforeTheNext)
{
    functions.InputStore("a.sst", {Fixture("root.der")});
    functions.InputStore("b.sst", {Fixture("inter.der"), Fixture("leaf.der")});
    EXPECT_EQ(Run({"dest.sst", "a.sst", "b.sst"}), 0);
    EXPECT_EQ(console.out,
              "Cert: a.sst\nName: Bundlor Test Root CA\n"
              "Cert: b.sst\nName: Bundlor Test Intermediate CA\nName: Bundlor Test Leaf\n");
    std::vector<std::string> stores = Lines("CertOpenStore");
    std::vector<std::string> closes = Lines("CertCloseStore");
    EXPECT_EQ(closes, (std::vector<std::string>{"CertCloseStore(file:a.sst, 00000000)",
                                                "CertCloseStore(file:b.sst, 00000000)",
                                                "CertCloseStore(commit:dest.sst, 00000000)"}));
    auto position = [&](const std::string& line) {
        return std::find(transcript.lines.begin(), transcript.lines.end(), line) - transcript.lines.begin();
    };
    EXPECT_LT(position("CertCloseStore(file:a.sst, 00000000)"),
              position("out: Cert: b.sst\n"));
    EXPECT_EQ(Subjects("commit:dest.sst"), (std::vector<std::string>{kRoot, kInter, kLeaf}));
}
