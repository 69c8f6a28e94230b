// The token tree of tokarium.exe on the virtual middleware: cards coming and
// going, the listing, the details panel, the command availability, login and
// logout. Each test starts the program once and makes several checks.
#include "tests/tokarium/TokenTreeHarness.h"

using namespace uidriver;

namespace treetest {
namespace {

const std::wstring kAliceModulus =
    L"009986C049E249FE80A3FFB169C91FA500E607525C3A245AF408982CE257A1CA7A0492CF1AB7083424D6370C92458585C54A17F91EECE"
    L"066CD1FB89FA8361F3A3328331507556D55DCEFC56C887E1F9C7DFCBB19D143F441C6D24F04BAADD25F40BBEF24C9FD2699864219D16F"
    L"2C563BBD5548801F32D7B1A380454F806CFF202F132701D94E3EA9A1E693130AF056685D23A0B0730A88B9056DCEF0DFC73E1594F8B97"
    L"7D3005BEF2ECF8A77B308400571E505C7D046DA210FC26AD8E4ADA4A802ACB17579F216E3A82D3E26C2D831BC17362139CA99F0440B40"
    L"FACDD6907FD892FF4427EC084C54198CF62E74026E0C01CBAF1640017A49C551F2C8A617E5A5EF";
const std::wstring kBobModulus =
    L"00C75286E4DF3272281465145CE90F22572623776C283BD0E11B8BDA73F87354668E1CF4A0C2EA89036A3A9CBA0CC81838EBECCDA66F9"
    L"95147E3BCE132079ECA354E28232DEFEB1473AF7D3141A519F36F23A7006D28EB751EB2AB28D64733C56CDF532E05CEF1872A7BCD561E"
    L"2B19A07030BD8BD4CF840CB373A5A55E5ABDAE7D";

std::vector<std::wstring> TokenLines(const std::wstring& label, const std::wstring& serial, const std::wstring& pin)
{
    return {L"Description:\t" + label, L"Serial Number:\t" + serial, L"Manufacturer:\tQuorin",
            L"Model:\tVirtual Card",   L"PIN Status:\t" + pin,      L"PUK Status:\tOk"};
}

std::vector<std::wstring> Texts(const std::vector<TreeItem>& items)
{
    std::vector<std::wstring> texts;
    for (const TreeItem& item : items)
        texts.push_back(item.text);
    return texts;
}

class TokenTreeTest : public TokenTreeHarness {};

TEST_F(TokenTreeTest, CardsAndReadersComeAndGo)
{
    AddCard("Reader A", "A0001", "Alpha Token");
    AddCard("Reader B", "B0002", std::string(32, ' '));
    StartProgram();

    // Both tokens in reader order, the second one selected with its details.
    ASSERT_TRUE(WaitUntil([&] { return TokenCount() == 2; })) << TokenCount();
    std::vector<TreeItem> tokens = Tokens();
    EXPECT_EQ((std::vector<std::wstring>{L"Alpha Token [Reader A]", L" [Reader B]"}), Texts(tokens));
    for (const TreeItem& token : tokens) {
        EXPECT_EQ(2, token.image);
        EXPECT_EQ(2, token.selectedImage);
        EXPECT_NE(0, token.data);
        EXPECT_TRUE(token.children.empty());
    }
    EXPECT_FALSE(tokens[0].selected);
    EXPECT_TRUE(tokens[1].selected);
    EXPECT_EQ(TokenLines(L"", L"B0002", L"Ok"), Details());
    EXPECT_EQ(kTokenLoggedOut, Buttons());
    EXPECT_EQ(L"Login", Text(Button(8)));
    EXPECT_FALSE(IsEnabled(Button(1006)));

    Select(TreeItems(Tree())[0].handle);
    EXPECT_TRUE(Details().empty());
    EXPECT_EQ(kRootSelected, Buttons());

    // Logged in on A, a new reader with a card logs every token out.
    Select(tokens[0].handle);
    EXPECT_EQ(TokenLines(L"Alpha Token", L"A0001", L"Ok"), Details());
    ClickControl(m_main, 8);
    AnswerPin(L"1234");
    ASSERT_TRUE(WaitUntil([&] { return Text(Button(8)) == L"Logout"; }));
    ASSERT_EQ(2u, Tokens()[0].children.size());
    AddCard("Reader C", "C0003", "Gamma Token");
    ASSERT_TRUE(WaitUntil([&] { return TokenCount() == 3; }));
    tokens = Tokens();
    EXPECT_EQ((std::vector<std::wstring>{L"Alpha Token [Reader A]", L" [Reader B]", L"Gamma Token [Reader C]"}),
              Texts(tokens));
    EXPECT_TRUE(tokens[0].children.empty());
    EXPECT_TRUE(tokens[2].selected);
    EXPECT_EQ(L"Login", Text(Button(8)));
    EXPECT_EQ(kTokenLoggedOut, Buttons());
    Select(tokens[0].handle);
    EXPECT_EQ(L"Login", Text(Button(8)));
    EXPECT_EQ(kTokenLoggedOut, Buttons());

    // Two cards out at once: one token per tick.
    ASSERT_TRUE(State().RemoveCard("Reader A")) << State().Error();
    ASSERT_TRUE(State().RemoveCard("Reader B")) << State().Error();
    ASSERT_TRUE(WaitUntil([&] { return TokenCount() != 3; }));
    EXPECT_EQ((std::vector<std::wstring>{L" [Reader B]", L"Gamma Token [Reader C]"}), Texts(Tokens()));
    ASSERT_TRUE(WaitUntil([&] { return TokenCount() != 2; }));
    EXPECT_EQ((std::vector<std::wstring>{L"Gamma Token [Reader C]"}), Texts(Tokens()));
    EXPECT_TRUE(TreeItems(Tree())[0].selected);
    EXPECT_TRUE(Details().empty());
    EXPECT_EQ(kRootSelected, Buttons());

    EXPECT_TRUE(LogRecords("GetSlotID.").empty());
    // Deleting the selected token A selected B, whose card was gone too.
    for (const std::string& record : LogRecords("GetTokenInfo."))
        EXPECT_EQ("1, 0, GetTokenInfo., Error: e0", record);
    EXPECT_TRUE(m_program.IsRunning());
}

class ListingTest : public TokenTreeHarness {
protected:
    void SetUp() override
    {
        TokenTreeHarness::SetUp();
        AddCard("Reader L", "L0001", "Listing Token");
        PutCertificate("Reader L", "ca.pem", true);            // label 1A2B3C01
        PutCertificate("Reader L", "alice.pem", false);        // label 1A2B3C02
        PutKey("Reader L", "alice.key", "alice.pem");          // label 1A2B3C02
        PutCertificate("Reader L", "bob.pem", false, "Shared");
        PutCertificate("Reader L", "nocn.pem", false, "Shared");
        PutKey("Reader L", "bob.key", nullptr, "Shared");
        caKey = PutKeyId("nocn.key", "1A2B3C01");               // matches only the CA certificate
        orphanKey = PutKeyId("alice.key", "Orphan");
        PutKeyId("bob.key", "Orphan");
    }

    unsigned long PutKeyId(const std::string& file, const char* label)
    {
        vmw::TokenState before;
        EXPECT_TRUE(State().LoadCard("Reader L", before));
        PutKey("Reader L", file, nullptr, label);
        return before.nextObjectId;
    }

    unsigned long caKey = 0, orphanKey = 0;
};

TEST_F(ListingTest, LoginListsPairsAndDetailsEveryKind)
{
    StartProgram();
    ASSERT_TRUE(WaitUntil([&] { return TokenCount() == 1; }));
    HWND tree = Tree();

    // The root: a double click neither expands nor collapses it.
    TreeItem root = TreeItems(tree)[0];
    ASSERT_TRUE(root.expanded);
    DoubleClick(root.handle);
    Sleep(500);
    EXPECT_TRUE(TreeItems(tree)[0].expanded);
    EXPECT_EQ(kRootSelected, Buttons());

    // The token: a double click asks for the PIN and lists it.
    DoubleClick(Tokens()[0].handle);
    AnswerPin(L"1234");
    ASSERT_TRUE(WaitUntil([&] { return !Tokens()[0].children.empty(); }));
    EXPECT_EQ(L"Logout", Text(Button(8)));
    EXPECT_EQ(TokenLines(L"Listing Token", L"L0001", L"Ok"), Details());

    TreeItem token = Tokens()[0];
    ASSERT_EQ(4u, token.children.size());
    const TreeItem& users = token.children[0];
    const TreeItem& authorities = token.children[1];
    EXPECT_EQ(L"User Certificates", users.text);
    EXPECT_EQ(L"CA Certificates", authorities.text);
    EXPECT_EQ(3, users.image);
    EXPECT_EQ(3, authorities.image);
    EXPECT_EQ(0, users.data);
    EXPECT_EQ(0, authorities.data);
    // Keys left unpaired, in label order, carry their object handles.
    EXPECT_EQ(L"RSA Key Pair", token.children[2].text);
    EXPECT_EQ(6, token.children[2].image);
    EXPECT_EQ(static_cast<LPARAM>(caKey), token.children[2].data);
    EXPECT_EQ(L"RSA Key Pair", token.children[3].text);
    EXPECT_EQ(static_cast<LPARAM>(orphanKey), token.children[3].data);

    ASSERT_EQ((std::vector<std::wstring>{L"Alice Tree", L"Bob Tree", L""}), Texts(users.children));
    EXPECT_EQ(1, users.children[0].data);
    EXPECT_EQ(2, users.children[1].data);
    EXPECT_EQ(3, users.children[2].data);
    for (const TreeItem& certificate : users.children)
        EXPECT_EQ(5, certificate.image);
    ASSERT_EQ(1u, users.children[0].children.size());
    EXPECT_EQ(L"RSA Key Pair", users.children[0].children[0].text);
    EXPECT_EQ(6, users.children[0].children[0].image);
    EXPECT_EQ(0, users.children[0].children[0].data);
    ASSERT_EQ(1u, users.children[1].children.size());
    EXPECT_TRUE(users.children[2].children.empty());
    ASSERT_EQ((std::vector<std::wstring>{L"Tree Test CA"}), Texts(authorities.children));
    EXPECT_EQ(4, authorities.children[0].image);
    EXPECT_EQ(0, authorities.children[0].data);
    EXPECT_TRUE(authorities.children[0].children.empty());

    struct Case {
        const char* what;
        HTREEITEM item;
        std::vector<std::wstring> lines;
        Availability buttons;
    } cases[] = {
        {"token", token.handle, TokenLines(L"Listing Token", L"L0001", L"Ok"), kTokenLoggedIn},
        {"user folder", users.handle, {}, kFolderSelected},
        {"CA folder", authorities.handle, {}, kFolderSelected},
        {"user certificate",
         users.children[0].handle,
         {L"Subject:\tC=IT,CN=Alice Tree", L"Issuer:\tC=IT,CN=Tree Test CA", L"Serial Number:\t1A2B3C02",
          L"Valid From:\t20/02/29 23:59:58", L"Valid to:\t30/01/01 00:00:00"},
         kCertificateSelected},
        {"CA certificate",
         authorities.children[0].handle,
         {L"Subject:\tC=IT,CN=Tree Test CA", L"Issuer:\tC=IT,CN=Tree Test CA", L"Serial Number:\t1A2B3C01",
          L"Valid From:\t15/11/18 10:39:37", L"Valid to:\t35/11/18 10:39:37"},
         kCertificateSelected},
        {"certificate without common name",
         users.children[2].handle,
         {L"Subject:\tC=SI,ON=Tree Org", L"Issuer:\tC=IT,CN=Tree Test CA", L"Serial Number:\t1A2B3C04",
          L"Valid From:\t20/02/29 23:59:58", L"Valid to:\t30/01/01 00:00:00"},
         kCertificateSelected},
        {"key pair of a 2048-bit certificate",
         users.children[0].children[0].handle,
         {L"Modulus:\t" + kAliceModulus, L"Public Exponent:\t010001", L"Length:\t2056"},
         kKeyPairSelected},
        {"key pair of the second certificate, exponent 3",
         users.children[1].children[0].handle,
         {L"Modulus:\t" + kBobModulus, L"Public Exponent:\t03", L"Length:\t1032"},
         kKeyPairSelected},
        {"key pair under the token", token.children[2].handle, {}, kKeyPairSelected},
        {"token again", token.handle, TokenLines(L"Listing Token", L"L0001", L"Ok"), kTokenLoggedIn},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Select(c.item);
        EXPECT_EQ(c.lines, Details());
        EXPECT_EQ(c.buttons, Buttons());
    }

    // Refresh and the end of an import list again: new items, the same tree.
    // (Item handles may be reused; the token layer's trace counts the listings.)
    const size_t listings = LogRecords("CCryptoki::GetCertificates, ").size();
    EXPECT_EQ(1u, listings);
    ClickControl(m_main, 7);
    ASSERT_TRUE(WaitUntil([&] { return LogRecords("CCryptoki::GetCertificates, ").size() == listings + 1; }));
    ASSERT_TRUE(WaitUntil([&] { return Tokens()[0].children.size() == 4; }));
    EXPECT_EQ((std::vector<std::wstring>{L"Alice Tree", L"Bob Tree", L""}), Texts(Tokens()[0].children[0].children));
    EXPECT_EQ(TokenLines(L"Listing Token", L"L0001", L"Ok"), Details());
    PostMessageW(m_main, RegisterWindowMessageW(L"WM_QUORIN_MW_ACTIVITY_IMPORT_END"), 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return LogRecords("CCryptoki::GetCertificates, ").size() == listings + 2; }));
    ASSERT_TRUE(WaitUntil([&] { return Tokens()[0].children.size() == 4; }));
    EXPECT_EQ((std::vector<std::wstring>{L"Tree Test CA"}), Texts(Tokens()[0].children[1].children));

    // Logout while a certificate is selected: everything under the token goes.
    Select(Tokens()[0].children[0].children[0].handle);
    ClickControl(m_main, 8);
    ASSERT_TRUE(WaitUntil([&] { return Tokens()[0].children.empty(); }));
    EXPECT_EQ(L"Login", Text(Button(8)));
    EXPECT_EQ(TokenLines(L"Listing Token", L"L0001", L"Ok"), Details());
    EXPECT_EQ(kTokenLoggedOut, Buttons());

    // With "DoubleClickLogin" on, a logged-out token's double click asks again; cancelled.
    DoubleClick(Tokens()[0].handle);
    AnswerPin(nullptr);
    EXPECT_TRUE(WaitUntil([&] { return !LogRecords("Login., Error: ffffffff").empty(); }));
    EXPECT_TRUE(Tokens()[0].children.empty());
    EXPECT_TRUE(LogRecords("GetCertificates.").empty());
    EXPECT_TRUE(LogRecords("GetPrivateKeys.").empty());
    EXPECT_TRUE(m_program.IsRunning());
}

TEST_F(TokenTreeTest, WrongPinsUntilLockedAndACardPulledDuringThePrompt)
{
    AddCard("Reader P", "P0001", "Pin Token");
    AddCard("Reader Q", "Q0002", "Quit Token");
    StartProgram();
    ASSERT_TRUE(WaitUntil([&] { return TokenCount() == 2; }));
    Select(Tokens()[0].handle);

    // Cancel: no message, one "Login." record with all ones, still logged out.
    ClickControl(m_main, 8);
    AnswerPin(nullptr);
    ASSERT_TRUE(WaitUntil([&] { return !LogRecords("Login.").empty(); }));
    MessageBoxView box;
    EXPECT_FALSE(WaitForMessageBox(m_program.Id(), box, L"", 1000));
    EXPECT_EQ((std::vector<std::string>{"1, 0, Login., Error: ffffffff"}), LogRecords("Login"));
    EXPECT_EQ(L"Login", Text(Button(8)));
    EXPECT_EQ(TokenLines(L"Pin Token", L"P0001", L"Ok"), Details());

    struct Attempt {
        const wchar_t* message;
        const wchar_t* status;
    } attempts[] = {
        {L"Invalid PIN", L"Two or more attempts left"},
        {L"Invalid PIN", L"Two or more attempts left"},
        {L"Invalid PIN", L"Locked"},
        {L"PIN Locked", L"Locked"},
    };
    for (const Attempt& attempt : attempts) {
        ClickControl(m_main, 8);
        AnswerPin(L"0000");
        ExpectErrorBox(attempt.message);
        ASSERT_TRUE(WaitUntil([&] { return Details().size() == 6; }));
        EXPECT_EQ(TokenLines(L"Pin Token", L"P0001", attempt.status), Details());
        EXPECT_EQ(L"Login", Text(Button(8)));
    }
    EXPECT_TRUE(IsEnabled(Button(1006)));
    EXPECT_FALSE(IsVisible(Button(1006)));
    EXPECT_EQ((std::vector<std::string>{"1, 0, Login., Error: ffffffff", "1, 0, Login, Error: a0",
                                        "1, 0, Login., Error: a0", "1, 0, Login, Error: a0", "1, 0, Login., Error: a0",
                                        "1, 0, Login, Error: a0", "1, 0, Login., Error: a0", "1, 0, Login, Error: a4",
                                        "1, 0, Login., Error: a4"}),
              LogRecords("Login"));

    // The card leaves while its PIN dialog is open: the token stays until the
    // command ends, the login fails, then the token goes.
    Select(Tokens()[1].handle);
    EXPECT_FALSE(IsEnabled(Button(1006)));
    ClickControl(m_main, 8);
    HWND prompt = WaitForWindow(m_program.Id(), L"Insert PIN", L"#32770");
    ASSERT_NE(nullptr, prompt);
    ASSERT_TRUE(State().RemoveCard("Reader Q")) << State().Error();
    Sleep(2500);
    EXPECT_EQ(2u, TokenCount());
    AnswerPin(L"1234");
    ExpectErrorBox(L"Login Error");
    ASSERT_TRUE(WaitUntil([&] { return TokenCount() == 1; }));
    EXPECT_EQ((std::vector<std::wstring>{L"Pin Token [Reader P]"}), Texts(Tokens()));
    EXPECT_EQ(kRootSelected, Buttons());
    EXPECT_TRUE(m_program.IsRunning());
}

TEST_F(TokenTreeTest, ACertificateTheParserRejectsIsLeftOut)
{
    AddCard("Reader R", "R0001", "Rough Token");
    PutCertificate("Reader R", "alice.pem", false);
    PutCertificate("Reader R", "bob.pem", false);
    // Bob's value cut short: a SEQUENCE whose length runs past its octets.
    vmw::TokenState card;
    ASSERT_TRUE(State().LoadCard("Reader R", card));
    ASSERT_EQ(2u, card.objects.size());
    card.objects[1].attributes[0x11].octets.resize(40);  // CKA_VALUE
    ASSERT_TRUE(State().SaveCard("Reader R", card));
    // A label padded with NUL octets: the tree text ends at the first of them.
    AddCard("Reader S", "S0002", "Short");
    vmw::TokenState padded;
    ASSERT_TRUE(State().LoadCard("Reader S", padded));
    padded.label = vmw::BytesOf("Short");
    padded.label.resize(32, 0);
    ASSERT_TRUE(State().SaveCard("Reader S", padded));
    StartProgram();
    ASSERT_TRUE(WaitUntil([&] { return TokenCount() == 2; }));
    EXPECT_EQ((std::vector<std::wstring>{L"Rough Token [Reader R]", L"Short"}), Texts(Tokens()));
    EXPECT_EQ(L"Description:\tShort", Details().at(0));

    Select(Tokens()[0].handle);
    ClickControl(m_main, 8);
    AnswerPin(L"1234");
    ASSERT_TRUE(WaitUntil([&] { return Tokens()[0].children.size() == 2; }));
    TreeItem users = Tokens()[0].children[0];
    ASSERT_EQ((std::vector<std::wstring>{L"Alice Tree"}), Texts(users.children));
    EXPECT_EQ(0, users.children[0].data);
    Select(users.children[0].handle);
    EXPECT_EQ(L"Subject:\tC=IT,CN=Alice Tree", Details().at(0));
    EXPECT_EQ((std::vector<std::string>{"1, 0, GetCertificates., Error: 5"}), LogRecords("GetCertificates."));
    EXPECT_TRUE(m_program.IsRunning());
}

}  // namespace
}  // namespace treetest
