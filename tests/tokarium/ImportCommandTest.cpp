// The Import command of tokarium.exe on the virtual middleware: certificate
// files joining keys already on the token, PKCS#12 files made by OpenSSL, the
// settings that steer them, and every failure the user can meet. Each test
// starts the program once; what the command wrote is read back from the
// virtual card and compared with what OpenSSL reads from the same files
// (import-expected.txt, made by make-import-fixtures.sh).
#include "tests/tokarium/TokenTreeHarness.h"

#include "tests/uidriver/FileDialog.h"
#include "platform/cryptoki/cryptoki.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>

using namespace uidriver;

namespace treetest {
namespace {

const wchar_t kPassword[] = L"Import-Test-1";
const char kSettingsKey[] = "Software\\Local AppWizard-Generated Applications\\tokarium\\Settings";

// "name field HEX" lines of import-expected.txt.
std::string Expected(const std::string& name, const std::string& field)
{
    static std::map<std::string, std::string> values;
    if (values.empty()) {
        std::ifstream file(std::string("Z:") + TREE_TEST_DATA + "/import-expected.txt");
        std::string who, what, hex;
        while (file >> who >> what >> hex)
            values[who + " " + what] = hex;
    }
    auto found = values.find(name + " " + field);
    EXPECT_NE(values.end(), found) << name << " " << field;
    return found == values.end() ? std::string() : found->second;
}

std::string Hex(const vmw::Bytes& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

std::string Text(const vmw::AttributeValue* value)
{
    return value ? std::string(value->octets.begin(), value->octets.end()) : std::string("<none>");
}

std::wstring DataPath(const std::string& name) { return WindowsPath(std::string(TREE_TEST_DATA) + "/" + name); }

std::vector<std::wstring> Texts(const std::vector<TreeItem>& items)
{
    std::vector<std::wstring> texts;
    for (const TreeItem& item : items)
        texts.push_back(item.text);
    return texts;
}

class ImportTest : public TokenTreeHarness {
protected:
    void TearDown() override
    {
        TokenTreeHarness::TearDown();
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
            return;
        for (const std::string& name : m_settingsWritten)
            RegDeleteValueA(key, name.c_str());
        RegCloseKey(key);
    }

    void WriteSetting(const std::string& name, DWORD value)
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE,
                                                 nullptr, &key, nullptr));
        m_settingsWritten.push_back(name);
        EXPECT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value));
        RegCloseKey(key);
    }

    // The token of this reader in the tree.
    TreeItem TokenItem(const std::wstring& reader)
    {
        for (const TreeItem& token : Tokens())
            if (token.text.find(L"[" + reader + L"]") != std::wstring::npos)
                return token;
        ADD_FAILURE() << "no token in the tree";
        return TreeItem();
    }

    void LogIn(const std::wstring& reader)
    {
        Select(TokenItem(reader).handle);
        ClickControl(m_main, 8);
        AnswerPin(L"1234");
        ASSERT_TRUE(WaitUntil([&] { return TokenItem(reader).children.size() >= 2; }));
    }

    // Presses Import on the token and answers the open dialog with the path.
    void ChooseFile(const std::wstring& reader, const std::wstring& path)
    {
        Select(TokenItem(reader).handle);
        ClickControl(m_main, 5);
        HWND dialog = WaitForFileDialog(m_program.Id(), L"Open");
        ASSERT_NE(nullptr, dialog) << "no open dialog";
        ASSERT_TRUE(AnswerFileDialog(m_program.Id(), L"Open", path));
        ASSERT_TRUE(WaitForWindowGone(dialog));
    }

    void AnswerPassword(const wchar_t* password)
    {
        HWND dialog = WaitForWindow(m_program.Id(), L"Insert PKCS#12 Password", L"#32770");
        ASSERT_NE(nullptr, dialog) << "no password dialog";
        if (password) {
            FillDialog(dialog, {{1008, password}});
            ClickControl(dialog, IDOK);
        } else {
            ClickControl(dialog, IDCANCEL);
        }
        ASSERT_TRUE(WaitForWindowGone(dialog));
    }

    void ImportPKCS12(const std::wstring& reader, const std::string& file, const wchar_t* password = kPassword)
    {
        ChooseFile(reader, DataPath(file));
        AnswerPassword(password);
    }

    // Returns once the window takes messages again: the command has ended
    // (or shows a box).
    void WaitIdle()
    {
        DWORD_PTR ignored = 0;
        ASSERT_NE(0, SendMessageTimeoutW(m_main, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &ignored));
    }

    void ExpectNoBox()
    {
        WaitIdle();
        MessageBoxView box;
        EXPECT_FALSE(WaitForMessageBox(m_program.Id(), box, L"Error", 300)) << "unexpected box: " << Narrow(box.text);
    }

    // How many times the token was listed (only a listing reads the private keys).
    size_t Listings() const
    {
        size_t count = 0;
        for (const std::string& record : LogRecords("CCryptoki::GetPrivateKeys"))
            count += record == "4, 0, CCryptoki::GetPrivateKeys, " ? 1 : 0;
        return count;
    }

    static std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

    vmw::TokenState Card(const std::string& reader)
    {
        vmw::TokenState card;
        EXPECT_TRUE(State().LoadCard(reader, card)) << State().Error();
        return card;
    }

    const vmw::ObjectRecord* FindCertificate(const vmw::TokenState& card, const std::string& serialHex)
    {
        for (const vmw::ObjectRecord& object : card.objects) {
            vmw::CertificateFacts facts;
            const vmw::AttributeValue* value = object.Find(CKA_VALUE);
            if (object.NumberOr(CKA_CLASS, ~0ull) == CKO_CERTIFICATE && value
                && vmw::ReadCertificate(value->octets, facts) && Hex(facts.serialContent) == serialHex)
                return &object;
        }
        return nullptr;
    }

    std::vector<const vmw::ObjectRecord*> PrivateKeys(const vmw::TokenState& card)
    {
        std::vector<const vmw::ObjectRecord*> keys;
        for (const vmw::ObjectRecord& object : card.objects)
            if (object.NumberOr(CKA_CLASS, ~0ull) == CKO_PRIVATE_KEY)
                keys.push_back(&object);
        return keys;
    }

    // The key tokarium wrote from a PKCS#12 file: named by its certificate's
    // serial text, with the components OpenSSL reads from the key it made.
    void ExpectKeyFrom(const vmw::TokenState& card, const std::string& who)
    {
        std::string serial = Expected(who, "serial");
        const vmw::ObjectRecord* key = nullptr;
        for (const vmw::ObjectRecord* candidate : PrivateKeys(card))
            if (Text(candidate->Find(CKA_LABEL)) == serial)
                key = candidate;
        ASSERT_NE(nullptr, key) << "no key labelled " << serial;
        EXPECT_EQ(serial, Text(key->Find(CKA_ID)));
        EXPECT_TRUE(key->IsTrue(CKA_PRIVATE));
        EXPECT_TRUE(key->IsTrue(CKA_SIGN));
        EXPECT_TRUE(key->IsTrue(CKA_DECRYPT));
        EXPECT_TRUE(key->IsTrue(CKA_TOKEN));
        const struct {
            CK_ATTRIBUTE_TYPE type;
            const char* field;
        } components[] = {{CKA_MODULUS, "modulus"}, {CKA_PUBLIC_EXPONENT, "publicExponent"},
                          {CKA_PRIVATE_EXPONENT, "privateExponent"}, {CKA_PRIME_1, "prime1"},
                          {CKA_PRIME_2, "prime2"}, {CKA_EXPONENT_1, "exponent1"}};
        for (const auto& component : components) {
            const vmw::AttributeValue* value = key->Find(component.type);
            ASSERT_NE(nullptr, value) << component.field;
            EXPECT_EQ(Expected(who, component.field), Hex(value->octets)) << who << " " << component.field;
        }
        EXPECT_EQ(nullptr, key->Find(CKA_EXPONENT_2));
        EXPECT_EQ(nullptr, key->Find(CKA_COEFFICIENT));
    }

    // The certificate tokarium wrote, named by its own serial text.
    void ExpectCertificateFrom(const vmw::TokenState& card, const std::string& who)
    {
        std::string serial = Expected(who, "serial");
        const vmw::ObjectRecord* certificate = FindCertificate(card, serial);
        ASSERT_NE(nullptr, certificate) << who;
        EXPECT_EQ(serial, Text(certificate->Find(CKA_LABEL))) << who;
        EXPECT_EQ(serial, Text(certificate->Find(CKA_ID))) << who;
        EXPECT_TRUE(certificate->IsTrue(CKA_TOKEN));
    }

    // A key on the card with this label and identifier, as another program might name it.
    void PutNamedKey(const std::string& reader, const std::string& key, const std::string& label,
                        const vmw::Bytes& id)
    {
        vmw::ObjectNaming naming;
        naming.hasLabel = true;
        naming.label = vmw::BytesOf(label);
        naming.hasId = true;
        naming.id = id;
        vmw::Bytes der;
        std::ifstream file(std::string("Z:") + TREE_TEST_DATA + "/" + key, std::ios::binary);
        std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        ASSERT_TRUE(vmw::DecodeDerOrPem(content, der)) << key;
        unsigned long handle = 0;
        ASSERT_TRUE(State().PutPrivateKey(reader, der, nullptr, false, naming, handle)) << State().Error();
    }

    // A file of this size (its octets are zeros) in the test's folder.
    std::wstring LargeFile(const std::wstring& name, LONGLONG size)
    {
        std::wstring path = m_appdata + L"\\" + name;
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, file);
        LARGE_INTEGER end;
        end.QuadPart = size;
        EXPECT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN));
        EXPECT_TRUE(SetEndOfFile(file));
        CloseHandle(file);
        return path;
    }

    std::vector<std::string> m_settingsWritten;
};

TEST_F(ImportTest, CertificateFilesJoinTheirKeysAndFailuresWriteNothing)
{
    AddCard("Reader C", "C0001", "Certificate Token");
    const vmw::Bytes daveId = {0xDA, 0x7E, 0x01};
    PutNamedKey("Reader C", "carol.key", "Carol's key", vmw::BytesOf("carol-key-id"));
    PutNamedKey("Reader C", "dave.key", "Dave Key", daveId);
    WriteSetting("AutoRefresh", 1);
    StartProgram();
    ASSERT_TRUE(WaitUntil([&] { return TokenCount() == 1; }));
    LogIn(L"Reader C");

    // Cancelling the open dialog does nothing.
    Select(TokenItem(L"Reader C").handle);
    ClickControl(m_main, 5);
    ASSERT_TRUE(CancelFileDialog(m_program.Id(), L"Open"));
    ExpectNoBox();

    // A PEM file named .cer and a DER file named .der: each certificate takes
    // the label and identifier of the key with its modulus.
    ChooseFile(L"Reader C", DataPath("carol.cer"));
    ExpectNoBox();
    ChooseFile(L"Reader C", DataPath("dave.der"));
    ExpectNoBox();
    // Without a key on the token: named by its serial number. Its folder's
    // name has letters the ANSI code page lacks.
    std::wstring unicodeFolder = m_appdata + L"\\\u0394\u0416 certificates";
    ASSERT_TRUE(CreateDirectoryW(unicodeFolder.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(DataPath("erin.der").c_str(), (unicodeFolder + L"\\erin.der").c_str(), FALSE));
    ChooseFile(L"Reader C", unicodeFolder + L"\\erin.der");
    ExpectNoBox();

    struct Joined {
        const char* who;
        std::string label, id;
    } joined[] = {
        {"carol", "Carol's key", "carol-key-id"},
        {"dave", "Dave Key", std::string(daveId.begin(), daveId.end())},
        {"erin", Expected("erin", "serial"), Expected("erin", "serial")},
    };
    vmw::TokenState card = Card("Reader C");
    for (const Joined& expected : joined) {
        const vmw::ObjectRecord* certificate = FindCertificate(card, Expected(expected.who, "serial"));
        ASSERT_NE(nullptr, certificate) << expected.who;
        EXPECT_EQ(expected.label, Text(certificate->Find(CKA_LABEL))) << expected.who;
        EXPECT_EQ(expected.id, Text(certificate->Find(CKA_ID))) << expected.who;
    }
    size_t objects = card.objects.size();
    EXPECT_EQ(5u, objects);
    EXPECT_EQ(2u, LogRecords("private key found: 1").size());
    EXPECT_EQ(2u, LogRecords("ID attribute set: 1").size());
    EXPECT_EQ(1u, LogRecords("private key found: 0").size());

    // Every import listed the token: the keys now sit under their certificates.
    TreeItem token = TokenItem(L"Reader C");
    ASSERT_EQ(2u, token.children.size());
    const TreeItem& users = token.children[0];
    EXPECT_EQ((std::vector<std::wstring>{L"Carol Import", L"Dave Import", L"Erin Import"}), Texts(users.children));
    ASSERT_EQ(3u, users.children.size());
    EXPECT_EQ(1u, users.children[0].children.size());
    EXPECT_EQ(1u, users.children[1].children.size());
    EXPECT_TRUE(users.children[2].children.empty());

    // The same file again is refused by the listing's issuer and serial, and
    // the token is not listed again.
    size_t listings = Listings();
    ChooseFile(L"Reader C", DataPath("carol.cer"));
    ExpectErrorBox(L"Certificate Already Imported");
    WaitIdle();
    EXPECT_EQ(listings, Listings());
    EXPECT_EQ((std::vector<std::string>{"1, 0, ImportCert, Certificate already present in the token"}),
              LogRecords("ImportCert,"));

    // The module refuses the certificate: reported, and the token listed all the same.
    ASSERT_TRUE(State().SetFault("C_CreateObject", 0x30, false)) << State().Error();
    ChooseFile(L"Reader C", DataPath("import-root.pem"));
    ExpectErrorBox(L"Unable to import the given certificate");
    WaitIdle();
    EXPECT_EQ(listings + 1, Listings());

    // Files that hold no certificate: text that is no Base64, DER cut short.
    for (const char* file : {"invalid.cer", "truncated.der"}) {
        ChooseFile(L"Reader C", DataPath(file));
        ExpectErrorBox(L"Invalid certificate file");
    }
    EXPECT_EQ(2u, LogRecords("1, 0, ImportCert, Invalid certificate file").size());

    // 100 MB chosen under "All Files": refused without reading it, at once;
    // so is one whose name makes it a PKCS#12 file, before any password.
    struct Large {
        const wchar_t* name;
        const wchar_t* message;
        const char* record;
    } large[] = {
        {L"huge.bin", L"Invalid certificate file", "1, 0, ImportCert, Invalid certificate file"},
        {L"huge.p12", L"Wrong Password or Invalid PKCS#12 file", "1, 0, ImportP12, Wrong password or invalid PKCS#12"},
    };
    for (const Large& file : large) {
        std::wstring path = LargeFile(file.name, 100LL * 1000 * 1000);
        size_t before = LogRecords(file.record).size();
        auto start = std::chrono::steady_clock::now();
        ChooseFile(L"Reader C", path);
        ExpectErrorBox(file.message);
        printf("refusal of a 100 MB file: %.0f ms from the open dialog's OK to the box answered\n",
               std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        EXPECT_EQ(before + 1, LogRecords(file.record).size());
        DeleteFileW(path.c_str());
    }

    // A folder named like a PKCS#12 file makes any file in it one.
    std::wstring folder = m_appdata + L"\\certificates.pfx";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(DataPath("dave.der").c_str(), (folder + L"\\dave.der").c_str(), FALSE));
    ChooseFile(L"Reader C", folder + L"\\dave.der");
    AnswerPassword(nullptr);
    ExpectNoBox();

    EXPECT_EQ(objects, Card("Reader C").objects.size());
    EXPECT_EQ((std::vector<std::string>{"1, 0, ImportCertificate, Error: 30"}), LogRecords("ImportCertificate, Error"));
    EXPECT_TRUE(m_program.IsRunning());
}

TEST_F(ImportTest, PKCS12FilesWriteCertificatesAndKeyWithEverySetting)
{
    AddCard("Reader P", "P0001", "Classic Token");
    AddCard("Reader Q", "Q0002", "Chain Token");
    WriteSetting("AutoUnpack", 1);
    WriteSetting("AutoRefresh", 1);
    StartProgram();
    ASSERT_TRUE(WaitUntil([&] { return TokenCount() == 2; }));
    LogIn(L"Reader P");

    // A wrong password, a file without a key: nothing is written.
    ImportPKCS12(L"Reader P", "chain.pfx", L"Wrong-Password");
    ExpectErrorBox(L"Wrong Password or Invalid PKCS#12 file");
    EXPECT_EQ((std::vector<std::string>{"1, 0, ImportP12, Wrong password or invalid PKCS#12"}),
              LogRecords("ImportP12,"));
    ImportPKCS12(L"Reader P", "nokey.p12");
    ExpectErrorBox(L"Unexpected error while importing the given file");
    EXPECT_EQ((std::vector<std::string>{"1, 0, ImportCertificate, Error"}), LogRecords("ImportCertificate, Error"));
    EXPECT_TRUE(Card("Reader P").objects.empty());

    // The classic layout: RC2-40 certificates, triple-DES key.
    ImportPKCS12(L"Reader P", "classic.p12");
    ExpectNoBox();
    vmw::TokenState card = Card("Reader P");
    EXPECT_EQ(2u, card.objects.size());
    ExpectCertificateFrom(card, "frank");
    ExpectKeyFrom(card, "frank");
    TreeItem token = TokenItem(L"Reader P");
    ASSERT_EQ(2u, token.children.size());
    ASSERT_EQ((std::vector<std::wstring>{L"Frank Import"}), Texts(token.children[0].children));
    EXPECT_EQ((std::vector<std::wstring>{L"RSA Key Pair"}), Texts(token.children[0].children[0].children));

    // Again: its certificate is there, so nothing more is written and no error.
    ImportPKCS12(L"Reader P", "classic.p12");
    ExpectNoBox();
    EXPECT_EQ(2u, Card("Reader P").objects.size());

    // A name in capitals is a PKCS#12 file too.
    ImportPKCS12(L"Reader P", "HENRY.P12");
    ExpectNoBox();
    card = Card("Reader P");
    EXPECT_EQ(4u, card.objects.size());
    ExpectCertificateFrom(card, "henry");
    ExpectKeyFrom(card, "henry");
    EXPECT_EQ((std::vector<std::wstring>{L"Frank Import", L"Henry Import"}),
              Texts(TokenItem(L"Reader P").children[0].children));

    // The file the demo offers for import, with the password it names.
    ChooseFile(L"Reader P", WindowsPath(std::string(TREE_TEST_DATA) + "/../../../vmw/demo/demo-import.p12"));
    AnswerPassword(L"demo");
    ExpectNoBox();
    EXPECT_EQ(7u, Card("Reader P").objects.size());
    EXPECT_EQ((std::vector<std::wstring>{L"Frank Import", L"Henry Import", L"Erin Example"}),
              Texts(TokenItem(L"Reader P").children[0].children));
    EXPECT_EQ((std::vector<std::wstring>{L"Quorin Demo Import CA"}), Texts(TokenItem(L"Reader P").children[1].children));

    // A chain with AutoUnpack on: the CA certificates are written as well.
    LogIn(L"Reader Q");
    ImportPKCS12(L"Reader Q", "chain.pfx");
    ExpectNoBox();
    card = Card("Reader Q");
    EXPECT_EQ(4u, card.objects.size());
    for (const char* who : {"grace", "inter", "root"})
        ExpectCertificateFrom(card, who);
    ExpectKeyFrom(card, "grace");
    token = TokenItem(L"Reader Q");
    ASSERT_EQ(2u, token.children.size());
    EXPECT_EQ((std::vector<std::wstring>{L"Grace Import"}), Texts(token.children[0].children));
    EXPECT_EQ((std::vector<std::wstring>{L"Import Test Intermediate", L"Import Test Root"}),
              Texts(token.children[1].children));

    // The module refuses every object: the key's failure is reported.
    ASSERT_TRUE(State().SetFault("C_CreateObject", 0x30, true)) << State().Error();
    ImportPKCS12(L"Reader Q", "HENRY.P12");
    ExpectErrorBox(L"Unable to import P12");
    ASSERT_TRUE(State().ClearFaults("")) << State().Error();
    EXPECT_EQ(4u, Card("Reader Q").objects.size());

    EXPECT_EQ((std::vector<std::string>{"1, 0, ImportP12, Wrong password or invalid PKCS#12", "1, 0, ImportP12, Error: 30"}),
              LogRecords("ImportP12,"));
    EXPECT_EQ(1u, LogRecords("ImportCertificate, Error").size());
    EXPECT_TRUE(m_program.IsRunning());
}

TEST_F(ImportTest, AutoUnpackAndAutoRefreshOff)
{
    AddCard("Reader S", "S0001", "Settings Token");
    WriteSetting("AutoUnpack", 0);
    WriteSetting("AutoRefresh", 0);
    StartProgram();
    ASSERT_TRUE(WaitUntil([&] { return TokenCount() == 1; }));
    LogIn(L"Reader S");

    // Only the file's first certificate and the key; the token is not listed
    // again and the tree stays as it was.
    size_t listings = Listings();
    ImportPKCS12(L"Reader S", "chain.pfx");
    ExpectNoBox();
    EXPECT_EQ(listings, Listings());
    vmw::TokenState card = Card("Reader S");
    EXPECT_EQ(2u, card.objects.size());
    ExpectCertificateFrom(card, "grace");
    ExpectKeyFrom(card, "grace");
    EXPECT_EQ(nullptr, FindCertificate(card, Expected("inter", "serial")));
    TreeItem token = TokenItem(L"Reader S");
    ASSERT_EQ(2u, token.children.size());
    EXPECT_TRUE(token.children[0].children.empty());
    EXPECT_TRUE(token.children[1].children.empty());

    // Refresh shows what was written.
    ClickControl(m_main, 7);
    ASSERT_TRUE(WaitUntil([&] { return !TokenItem(L"Reader S").children[0].children.empty(); }));
    token = TokenItem(L"Reader S");
    EXPECT_EQ((std::vector<std::wstring>{L"Grace Import"}), Texts(token.children[0].children));
    EXPECT_TRUE(token.children[1].children.empty());

    // A certificate import lists the token whatever AutoRefresh says.
    ChooseFile(L"Reader S", DataPath("erin.der"));
    ExpectNoBox();
    EXPECT_EQ((std::vector<std::wstring>{L"Grace Import", L"Erin Import"}),
              Texts(TokenItem(L"Reader S").children[0].children));
    EXPECT_TRUE(m_program.IsRunning());
}

}  // namespace
}  // namespace treetest
