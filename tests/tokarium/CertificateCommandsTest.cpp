// The certificate commands of tokarium.exe on the virtual middleware: Export
// through the save dialog, the platform's certificate viewer, and Delete of a
// certificate, a folder or the whole device with the PIN asked again. The
// token's objects are read back from the virtual state.
#include "tests/tokarium/TokenTreeHarness.h"
#include "tests/uidriver/FileDialog.h"

#include "platform/cryptoki/cryptoki.h"
#include "vmw/tools/Der.h"

#include <wincrypt.h>

#include <fstream>
#include <iterator>

using namespace uidriver;

namespace treetest {
namespace {

const char kReader[] = "Reader C";

std::string ReadBytes(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string AsString(const vmw::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

vmw::Bytes DataDer(const std::string& file)
{
    vmw::Bytes der;
    std::ifstream in(DataFile(file).c_str(), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(vmw::DecodeDerOrPem(text, der)) << file;
    return der;
}

// The platform's own text for a system error code.
std::wstring SystemText(DWORD code)
{
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = text ? text : L"";
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    return message;
}

std::string Hex(unsigned long value)
{
    char text[16];
    snprintf(text, sizeof text, "%lx", value);
    return text;
}

// The octets of a DER value's tag and length (short or long form).
size_t HeaderLength(const vmw::Bytes& der, size_t at)
{
    return der[at + 1] & 0x80 ? 2 + (der[at + 1] & 0x7F) : 2;
}

size_t ContentLength(const vmw::Bytes& der, size_t at)
{
    if (!(der[at + 1] & 0x80))
        return der[at + 1];
    size_t length = 0;
    for (size_t i = 0; i < (der[at + 1] & 0x7Fu); ++i)
        length = length << 8 | der[at + 2 + i];
    return length;
}

struct StateObject {
    unsigned long id;
    unsigned long long objectClass;
    std::string label;
    vmw::Bytes value;
};

const TreeItem* FindChild(const std::vector<TreeItem>& items, const std::wstring& text)
{
    for (const TreeItem& item : items)
        if (item.text == text)
            return &item;
    return nullptr;
}

std::vector<std::wstring> Texts(const std::vector<TreeItem>& items)
{
    std::vector<std::wstring> texts;
    for (const TreeItem& item : items)
        texts.push_back(item.text);
    return texts;
}

class CertificateCommandsTest : public TokenTreeHarness {
protected:
    void SetUp() override
    {
        TokenTreeHarness::SetUp();
        AddCard(kReader, "C0001", "Command Token");
    }

    // A certificate with its private key and, when asked, its public key; all
    // three carry the certificate's serial number as label.
    unsigned long PutPair(const std::string& certificate, const std::string& key, bool publicKey)
    {
        unsigned long id = 0;
        EXPECT_TRUE(State().PutCertificate(kReader, DataDer(certificate), false, vmw::ObjectNaming(), id))
            << State().Error();
        vmw::Bytes der = DataDer(certificate);
        unsigned long keyId = 0;
        EXPECT_TRUE(State().PutPrivateKey(kReader, DataDer(key), &der, publicKey, vmw::ObjectNaming(), keyId))
            << State().Error();
        return id;
    }

    unsigned long PutAuthority(const std::string& certificate) { return PutOne(certificate, true); }
    unsigned long PutUserCertificate(const std::string& certificate) { return PutOne(certificate, false); }
    unsigned long PutOne(const std::string& certificate, bool authority)
    {
        unsigned long id = 0;
        EXPECT_TRUE(State().PutCertificate(kReader, DataDer(certificate), authority, vmw::ObjectNaming(), id))
            << State().Error();
        return id;
    }

    std::vector<StateObject> Objects()
    {
        vmw::TokenState token;
        EXPECT_TRUE(State().LoadCard(kReader, token)) << State().Error();
        std::vector<StateObject> objects;
        for (const vmw::ObjectRecord& record : token.objects) {
            StateObject object{record.id, record.NumberOr(CKA_CLASS, ~0ull), "", {}};
            if (const vmw::AttributeValue* label = record.Find(CKA_LABEL))
                object.label = AsString(label->octets);
            if (const vmw::AttributeValue* value = record.Find(CKA_VALUE))
                object.value = value->octets;
            objects.push_back(object);
        }
        return objects;
    }

    std::vector<std::pair<unsigned long long, std::string>> ClassesAndLabels()
    {
        std::vector<std::pair<unsigned long long, std::string>> result;
        for (const StateObject& object : Objects())
            result.push_back({object.objectClass, object.label});
        return result;
    }

    vmw::Bytes ObjectValue(unsigned long id)
    {
        for (const StateObject& object : Objects())
            if (object.id == id)
                return object.value;
        ADD_FAILURE() << "no object " << id;
        return {};
    }

    void StartLoggedIn()
    {
        StartProgram();
        ASSERT_TRUE(WaitUntil([&] { return TokenCount() == 1; }));
        Select(Tokens()[0].handle);
        ClickControl(m_main, 8);
        AnswerPin(L"1234");
        ASSERT_TRUE(WaitUntil([&] { return Tokens()[0].children.size() >= 2; }));
    }

    TreeItem Token() { return Tokens()[0]; }
    TreeItem Folder(const wchar_t* name)
    {
        TreeItem token = Token();
        const TreeItem* folder = FindChild(token.children, name);
        EXPECT_NE(nullptr, folder) << "no folder";
        return folder ? *folder : TreeItem();
    }
    HTREEITEM Certificate(const wchar_t* folderName, const std::wstring& name)
    {
        TreeItem folder = Folder(folderName);
        const TreeItem* item = FindChild(folder.children, name);
        EXPECT_NE(nullptr, item) << "no certificate";
        return item ? item->handle : nullptr;
    }

    // Selects the item, presses Export and answers the save dialog.
    void Export(HTREEITEM item, const std::wstring& path)
    {
        Select(item);
        ClickControl(m_main, 6);
        HWND dialog = WaitForFileDialog(m_program.Id(), L"Save As");
        ASSERT_NE(nullptr, dialog) << "no save dialog";
        ASSERT_TRUE(AnswerFileDialog(m_program.Id(), L"Save As", path));
        ASSERT_TRUE(WaitForWindowGone(dialog));
    }

    bool NoMessageBox(DWORD milliseconds = 1500)
    {
        MessageBoxView box;
        return !WaitForMessageBox(m_program.Id(), box, L"", milliseconds);
    }

    // Selects the item, presses button 4 and answers the PIN prompt.
    void Delete(HTREEITEM item, const wchar_t* pin)
    {
        Select(item);
        ClickControl(m_main, 4);
        AnswerPin(pin);
    }

    std::wstring PathOf(const std::string& name) { return m_appdata + L"\\" + std::wstring(name.begin(), name.end()); }

    // A top-level window of the program other than the main window.
    HWND WaitForOtherWindow()
    {
        HWND found = nullptr;
        WaitUntil([&] {
            for (HWND window : TopLevelWindows(m_program.Id()))
                if (window != m_main)
                    return (found = window) != nullptr;
            return false;
        });
        return found;
    }
};

bool ShowsText(HWND window, const std::wstring& text)
{
    for (HWND child : Children(window))
        if (Text(child).find(text) != std::wstring::npos)
            return true;
    return false;
}

TEST_F(CertificateCommandsTest, ExportWritesTheObjectsBytesAndReportsFilesItCannotWrite)
{
    unsigned long ca = PutAuthority("ca.pem");
    unsigned long alice = PutPair("alice.pem", "alice.key", false);
    StartLoggedIn();
    const std::string caDer = AsString(ObjectValue(ca));
    const std::string aliceDer = AsString(ObjectValue(alice));
    ASSERT_EQ(AsString(DataDer("ca.pem")), caDer);
    HTREEITEM caItem = Certificate(L"CA Certificates", L"Tree Test CA");
    HTREEITEM aliceItem = Certificate(L"User Certificates", L"Alice Tree");

    // The same bytes whichever extension; no extension gets the default "cer".
    struct Case {
        HTREEITEM item;
        std::string typed, written;
        const std::string& der;
    } cases[] = {
        {caItem, "ca.cer", "ca.cer", caDer},
        {caItem, "ca.der", "ca.der", caDer},
        {caItem, "plain", "plain.cer", caDer},
        {aliceItem, "alice.der", "alice.der", aliceDer},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Export(c.item, PathOf(c.typed));
        ASSERT_TRUE(WaitUntil([&] { return ReadBytes(PathOf(c.written)).size() == c.der.size(); }));
        EXPECT_EQ(c.der, ReadBytes(PathOf(c.written)));
        EXPECT_TRUE(NoMessageBox(300));
    }
    EXPECT_FALSE(FileExists(PathOf("plain")));

    // An existing, longer file is replaced without a question.
    {
        std::ofstream old(PathOf("old.cer").c_str(), std::ios::binary);
        old << std::string(5000, 'x');
    }
    Export(caItem, PathOf("old.cer"));
    ASSERT_TRUE(WaitUntil([&] { return ReadBytes(PathOf("old.cer")).size() == caDer.size(); }));
    EXPECT_EQ(caDer, ReadBytes(PathOf("old.cer")));
    EXPECT_TRUE(NoMessageBox());

    // Cancelled: nothing written.
    Select(aliceItem);
    ClickControl(m_main, 6);
    ASSERT_TRUE(CancelFileDialog(m_program.Id(), L"Save As"));
    EXPECT_TRUE(NoMessageBox());

    // A folder that does not exist, and a device that takes no byte (the
    // trailing dot keeps the dialog from adding the extension and is dropped
    // from the name): the system's reason, and the program goes on.
    struct Failure {
        std::wstring path;
        DWORD error;
    } failures[] = {
        {PathOf("missing") + L"\\three.cer", ERROR_PATH_NOT_FOUND},
        {L"Z:\\dev\\full.", ERROR_DISK_FULL},
    };
    for (const Failure& failure : failures) {
        SCOPED_TRACE(std::string(failure.path.begin(), failure.path.end()));
        Export(aliceItem, failure.path);
        ExpectErrorBox(SystemText(failure.error));
    }
    EXPECT_EQ((std::vector<std::string>{"1, 0, ExportCertificate, Error: " + Hex(ERROR_PATH_NOT_FOUND),
                                        "1, 0, ExportCertificate, Error: " + Hex(ERROR_DISK_FULL)}),
              LogRecords("ExportCertificate"));
    EXPECT_FALSE(FileExists(PathOf("missing")));
    Export(aliceItem, PathOf("after.cer"));
    ASSERT_TRUE(WaitUntil([&] { return ReadBytes(PathOf("after.cer")).size() == aliceDer.size(); }));
    EXPECT_EQ(aliceDer, ReadBytes(PathOf("after.cer")));
    EXPECT_TRUE(m_program.IsRunning());
}

TEST_F(CertificateCommandsTest, ViewerShowsTheCertificateAndRefusedBytesAreReported)
{
    PutAuthority("ca.pem");
    PutPair("alice.pem", "alice.key", false);
    // Bob's signature value under another tag: our listing reads no signature,
    // the platform refuses the certificate.
    unsigned long bob = PutUserCertificate("bob.pem");
    vmw::TokenState card;
    ASSERT_TRUE(State().LoadCard(kReader, card));
    vmw::Bytes& bobDer = card.FindObject(bob)->attributes[CKA_VALUE].octets;
    // Certificate SEQUENCE { tbsCertificate, signatureAlgorithm, signatureValue }.
    size_t at = HeaderLength(bobDer, 0);
    at += HeaderLength(bobDer, at) + ContentLength(bobDer, at);
    at += HeaderLength(bobDer, at) + ContentLength(bobDer, at);
    ASSERT_EQ(0x03, bobDer[at]) << "the signature value";
    bobDer[at] = 0x04;
    ASSERT_TRUE(State().SaveCard(kReader, card));
    SetLastError(0);
    ASSERT_EQ(nullptr, CertCreateCertificateContext(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, bobDer.data(),
                                                    static_cast<DWORD>(bobDer.size())));
    const DWORD refused = GetLastError();

    StartLoggedIn();
    // The refused one is listed, but not shown.
    Select(Certificate(L"User Certificates", L"Bob Tree"));
    ClickControl(m_main, 59411);
    ExpectErrorBox(L"Unable to show the selected certificate");
    EXPECT_EQ((std::vector<std::string>{"1, 0, ViewCertificte, Error: " + Hex(refused)}),
              LogRecords("ViewCertificte"));

    // The button and the double click open the viewer with the certificate.
    struct Case {
        const char* how;
        const wchar_t* folder;
        const wchar_t* name;
        bool doubleClick;
    } cases[] = {
        {"button", L"User Certificates", L"Alice Tree", false},
        {"double click", L"CA Certificates", L"Tree Test CA", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        HTREEITEM item = Certificate(c.folder, c.name);
        if (c.doubleClick) {
            DoubleClick(item);
        } else {
            Select(item);
            ClickControl(m_main, 59411);
        }
        HWND viewer = WaitForOtherWindow();
        ASSERT_NE(nullptr, viewer) << "no viewer";
        EXPECT_TRUE(WaitUntil([&] { return ShowsText(viewer, c.name); })) << "the viewer shows another certificate";
        ClickControl(viewer, IDOK);
        ASSERT_TRUE(WaitForWindowGone(viewer));
    }

    // While the viewer is open the command holds the refresh: a new card shows
    // only after the viewer is closed.
    Select(Certificate(L"User Certificates", L"Alice Tree"));
    ClickControl(m_main, 59411);
    HWND viewer = WaitForOtherWindow();
    ASSERT_NE(nullptr, viewer) << "no viewer";
    AddCard("Reader D", "D0001", "Second Token");
    Sleep(2500);
    EXPECT_EQ(1u, TokenCount());
    ClickControl(viewer, IDOK);
    ASSERT_TRUE(WaitForWindowGone(viewer));
    EXPECT_TRUE(WaitUntil([&] { return TokenCount() == 2; }));
    EXPECT_EQ(1u, LogRecords("ViewCertificte").size());
    EXPECT_TRUE(m_program.IsRunning());
}

TEST_F(CertificateCommandsTest, DeleteAsksThePinAgainAndTakesTheCertificateWithItsKeys)
{
    PutAuthority("ca.pem");
    PutPair("alice.pem", "alice.key", true);
    unsigned long bob = PutPair("bob.pem", "bob.key", true);
    StartLoggedIn();
    const auto before = ClassesAndLabels();
    ASSERT_EQ(7u, before.size());

    // Cancel: nothing happens, one record with the command's tag.
    struct Cancel {
        const char* tag;
        HTREEITEM item;
    } cancels[] = {
        {"DeleteCertificte", Certificate(L"User Certificates", L"Alice Tree")},
        {"DeleteFolder", Folder(L"CA Certificates").handle},
        {"ResetDevice", Token().handle},
    };
    for (const Cancel& c : cancels) {
        SCOPED_TRACE(c.tag);
        Delete(c.item, nullptr);
        EXPECT_TRUE(NoMessageBox());
        EXPECT_EQ((std::vector<std::string>{std::string("1, 0, ") + c.tag + ", Error: ffffffff"}), LogRecords(c.tag));
        EXPECT_EQ(before, ClassesAndLabels());
        EXPECT_EQ(L"Logout", Text(Button(8)));
    }
    EXPECT_EQ(2u, Folder(L"User Certificates").children.size());

    // A wrong PIN, although the session is logged in: refused, the token
    // shows as logged out, nothing deleted, the items stay.
    Delete(Certificate(L"User Certificates", L"Alice Tree"), L"9999");
    ExpectErrorBox(L"Invalid PIN");
    EXPECT_EQ((std::vector<std::string>{"1, 0, DeleteCertificte, Error: ffffffff", "1, 0, DeleteCertificte, Error: a0"}),
              LogRecords("DeleteCertificte"));
    EXPECT_EQ((std::vector<std::string>{"1, 0, Login, Error: a0"}), LogRecords("Login,"));
    EXPECT_EQ(before, ClassesAndLabels());
    EXPECT_EQ(L"Login", Text(Button(8)));
    ASSERT_FALSE(Details().empty());
    EXPECT_EQ(L"Description:\tCommand Token", Details()[0]);
    EXPECT_EQ((std::vector<std::wstring>{L"Alice Tree", L"Bob Tree"}), Texts(Folder(L"User Certificates").children));

    // Logged in again, the right PIN: the certificate, its private and its
    // public key go, and the token is listed again.
    Select(Token().handle);
    ClickControl(m_main, 8);
    AnswerPin(L"1234");
    ASSERT_TRUE(WaitUntil([&] { return Text(Button(8)) == L"Logout"; }));
    Delete(Certificate(L"User Certificates", L"Alice Tree"), L"1234");
    EXPECT_TRUE(NoMessageBox());
    EXPECT_TRUE(WaitUntil([&] { return ClassesAndLabels().size() == 4; }));
    EXPECT_EQ((std::vector<std::pair<unsigned long long, std::string>>{
                  {CKO_CERTIFICATE, "1A2B3C01"},
                  {CKO_CERTIFICATE, "1A2B3C03"},
                  {CKO_PRIVATE_KEY, "1A2B3C03"},
                  {CKO_PUBLIC_KEY, "1A2B3C03"}}),
              ClassesAndLabels());
    ASSERT_TRUE(WaitUntil([&] { return Folder(L"User Certificates").children.size() == 1; }));
    TreeItem users = Folder(L"User Certificates");
    EXPECT_EQ(L"Bob Tree", users.children[0].text);
    ASSERT_EQ(1u, users.children[0].children.size());
    EXPECT_EQ(L"RSA Key Pair", users.children[0].children[0].text);
    EXPECT_EQ((std::vector<std::wstring>{L"Tree Test CA"}), Texts(Folder(L"CA Certificates").children));
    EXPECT_EQ(L"Logout", Text(Button(8)));
    EXPECT_EQ(2u, LogRecords("DeleteCertificte").size());

    // A certificate that stays: the message, and a new listing shows that
    // its keys went.
    ASSERT_TRUE(State().SetUndeletable(kReader, bob, true)) << State().Error();
    Delete(Certificate(L"User Certificates", L"Bob Tree"), L"1234");
    ExpectErrorBox(L"Unable to delete the selected certificate");
    EXPECT_EQ("1, 0, DeleteCertificte, Error: " + Hex(CKR_ACTION_PROHIBITED), LogRecords("DeleteCertificte").back());
    EXPECT_EQ((std::vector<std::pair<unsigned long long, std::string>>{{CKO_CERTIFICATE, "1A2B3C01"},
                                                                          {CKO_CERTIFICATE, "1A2B3C03"}}),
              ClassesAndLabels());
    EXPECT_TRUE(WaitUntil([&] {
        TreeItem folder = Folder(L"User Certificates");
        return folder.children.size() == 1 && folder.children[0].children.empty();
    }));
}

TEST_F(CertificateCommandsTest, FolderDeleteStopsAtACertificateThatStaysAndResetEmptiesTheToken)
{
    PutAuthority("ca.pem");
    PutPair("alice.pem", "alice.key", true);
    unsigned long bob = PutPair("bob.pem", "bob.key", true);
    PutPair("nocn.pem", "nocn.key", true);
    // Only Bob's certificate refuses; its keys can go.
    ASSERT_TRUE(State().SetUndeletable(kReader, bob, true)) << State().Error();
    StartLoggedIn();
    ASSERT_EQ((std::vector<std::wstring>{L"Alice Tree", L"Bob Tree", L""}),
              Texts(Folder(L"User Certificates").children));

    Delete(Folder(L"User Certificates").handle, L"1234");
    ExpectErrorBox(L"Unable to delete the selected folder");
    EXPECT_EQ((std::vector<std::string>{"1, 0, DeleteFolder, Error: " + Hex(CKR_ACTION_PROHIBITED)}),
              LogRecords("DeleteFolder"));
    EXPECT_EQ((std::vector<std::pair<unsigned long long, std::string>>{
                  {CKO_CERTIFICATE, "1A2B3C01"},
                  {CKO_CERTIFICATE, "1A2B3C03"},
                  {CKO_CERTIFICATE, "1A2B3C04"},
                  {CKO_PRIVATE_KEY, "1A2B3C04"},
                  {CKO_PUBLIC_KEY, "1A2B3C04"}}),
              ClassesAndLabels());
    // The first item went; the second, now without its keys, and the third stay.
    ASSERT_TRUE(WaitUntil([&] { return Folder(L"User Certificates").children.size() == 2; }));
    TreeItem users = Folder(L"User Certificates");
    EXPECT_EQ((std::vector<std::wstring>{L"Bob Tree", L""}), Texts(users.children));
    EXPECT_TRUE(users.children[0].children.empty());
    EXPECT_EQ(1u, users.children[1].children.size());
    EXPECT_EQ(L"Logout", Text(Button(8)));

    // A folder that can go entirely: its items go, the folder stays, empty.
    Delete(Folder(L"CA Certificates").handle, L"1234");
    EXPECT_TRUE(NoMessageBox());
    EXPECT_TRUE(WaitUntil([&] { return Folder(L"CA Certificates").children.empty(); }));
    EXPECT_EQ(4u, ClassesAndLabels().size());

    // The deleted certificate can be imported again: the listing it is
    // compared with no longer holds it.
    Select(Token().handle);
    ClickControl(m_main, 5);
    ASSERT_TRUE(AnswerFileDialog(m_program.Id(), L"Open", WindowsPath(std::string(TREE_TEST_DATA) + "/ca.pem")));
    EXPECT_TRUE(NoMessageBox());
    EXPECT_TRUE(WaitUntil([&] { return Folder(L"CA Certificates").children.size() == 1; }));
    EXPECT_EQ(5u, ClassesAndLabels().size());
    EXPECT_TRUE(LogRecords("already present").empty());
    Delete(Folder(L"CA Certificates").handle, L"1234");
    EXPECT_TRUE(WaitUntil([&] { return ClassesAndLabels().size() == 4; }));

    // Reset Device: two empty folders and nothing on the token.
    ASSERT_TRUE(State().SetUndeletable(kReader, bob, false)) << State().Error();
    Select(Token().handle);
    EXPECT_EQ(L"Reset Device", Text(Button(4)));
    Delete(Token().handle, L"1234");
    EXPECT_TRUE(NoMessageBox());
    EXPECT_TRUE(WaitUntil([&] { return ClassesAndLabels().empty(); }));
    ASSERT_TRUE(WaitUntil([&] {
        TreeItem token = Token();
        return token.children.size() == 2 && token.children[0].children.empty() && token.children[1].children.empty();
    }));
    EXPECT_EQ((std::vector<std::wstring>{L"User Certificates", L"CA Certificates"}), Texts(Token().children));
    ASSERT_FALSE(Details().empty());
    EXPECT_EQ(L"Description:\tCommand Token", Details()[0]);
    EXPECT_TRUE(LogRecords("ResetDevice").empty());
    EXPECT_EQ(1u, LogRecords("DeleteFolder").size());
}

}  // namespace
}  // namespace treetest
