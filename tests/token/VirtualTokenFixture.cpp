#include "tests/token/VirtualTokenFixture.h"

#include <filesystem>

const char VirtualTokenTest::READER[] = "Quorin Virtual Reader 0";
const char VirtualTokenTest::PIN[] = "1234";
const char VirtualTokenTest::PUK[] = "12345678";

void VirtualTokenTest::SetUp()
{
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    state = "vmwstate_" + name;
    std::filesystem::remove_all(state);
    SetEnvironment("QUORIN_VMW_STATE", state);
    editor.reset(new vmw::StateEditor(vmw::StateFolder(state)));
    ASSERT_TRUE(editor->Init()) << editor->Error();
    AddCard(READER, "VT0001");
    log.reset(new LogCapture(name));
    RecorderAccess::Target(NativePath(TOKEN_TEST_VIRTUAL_MODULE));
    recorder.reset(new RecorderAccess());
}

void VirtualTokenTest::TearDown()
{
    cryptoki.Detach();
    recorder.reset();
    log.reset();
    std::error_code ignored;
    std::filesystem::remove_all(state, ignored);
}

void VirtualTokenTest::AddCard(const std::string& reader, const std::string& serial)
{
    ASSERT_TRUE(editor->AddReader(reader)) << editor->Error();
    vmw::CardDetails details;
    details.serial = serial;
    details.label = "Token " + serial;
    details.pin = PIN;
    details.puk = PUK;
    ASSERT_TRUE(editor->CreateCard(reader, details)) << editor->Error();
}

void VirtualTokenTest::Open()
{
    ASSERT_EQ(cryptoki.Attach(RecorderAccess::Path().c_str()), 0u);
    ASSERT_EQ(cryptoki.Initialize(), 0u);
    slot = ~static_cast<CK_SLOT_ID>(0);
    ASSERT_EQ(cryptoki.GetSlotID(READER, slot), 0u);
    ASSERT_EQ(cryptoki.OpenSession(slot, session), 0u);
    recorder->Clear();
    log->Clear();
}

void VirtualTokenTest::OpenLoggedIn()
{
    Open();
    ASSERT_EQ(cryptoki.Login(session, PIN), 0u);
    recorder->Clear();
}

unsigned long VirtualTokenTest::PutCertificate(const unsigned char* der, size_t size,
                                               const std::string* label)
{
    vmw::ObjectNaming naming;
    if (label) {
        naming.hasLabel = true;
        naming.label = vmw::BytesOf(*label);
    }
    unsigned long id = 0;
    EXPECT_TRUE(editor->PutCertificate(READER, vmw::Bytes(der, der + size), false, naming, id))
        << editor->Error();
    return id;
}

unsigned long VirtualTokenTest::PutKey(const unsigned char* der, size_t size,
                                       const std::string& label, bool withPublicKey)
{
    vmw::ObjectNaming naming;
    naming.hasLabel = true;
    naming.label = vmw::BytesOf(label);
    naming.hasId = true;
    naming.id = vmw::BytesOf(label);
    unsigned long id = 0;
    EXPECT_TRUE(editor->PutPrivateKey(READER, vmw::Bytes(der, der + size), nullptr, withPublicKey,
                                      naming, id))
        << editor->Error();
    return id;
}

vmw::TokenState VirtualTokenTest::Card(const std::string& reader)
{
    vmw::TokenState token;
    EXPECT_TRUE(editor->LoadCard(reader, token)) << editor->Error();
    return token;
}

void VirtualTokenTest::SaveCard(const vmw::TokenState& token, const std::string& reader)
{
    ASSERT_TRUE(editor->SaveCard(reader, token)) << editor->Error();
}

void VirtualTokenTest::SetFault(const std::string& function, CK_RV rv, bool always)
{
    ASSERT_TRUE(editor->SetFault(function, rv, always)) << editor->Error();
}

std::vector<const vmw::ObjectRecord*> ObjectsOfClass(const vmw::TokenState& token,
                                                     CK_OBJECT_CLASS objectClass)
{
    std::vector<const vmw::ObjectRecord*> objects;
    for (const vmw::ObjectRecord& object : token.objects)
        if (object.NumberOr(CKA_CLASS, ~0ULL) == objectClass)
            objects.push_back(&object);
    return objects;
}

std::string AttributeHex(const vmw::ObjectRecord& object, CK_ATTRIBUTE_TYPE type)
{
    const vmw::AttributeValue* value = object.Find(type);
    return value ? vmw::ToHex(value->octets) : "absent";
}

std::string AttributeText(const vmw::ObjectRecord& object, CK_ATTRIBUTE_TYPE type)
{
    const vmw::AttributeValue* value = object.Find(type);
    return value ? vmw::TextOf(value->octets) : "absent";
}
