#pragma once
// A virtual token in a state folder of the test's own, reached through the
// recording module, with the activity log read back from its file.

#include "tests/token/TokenTestSupport.h"
#include "tokarium/token/Cryptoki.h"
#include "vmw/tools/StateEditor.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

class VirtualTokenTest : public ::testing::Test {
protected:
    static const char READER[];
    static const char PIN[];
    static const char PUK[];

    void SetUp() override;
    void TearDown() override;

    // Binds the module, initialises it, opens a session on READER's token.
    void Open();
    void OpenLoggedIn();

    void AddCard(const std::string& reader, const std::string& serial);
    unsigned long PutCertificate(const unsigned char* der, size_t size, const std::string* label);
    unsigned long PutKey(const unsigned char* der, size_t size, const std::string& label,
                         bool withPublicKey);
    vmw::TokenState Card(const std::string& reader = READER);
    void SaveCard(const vmw::TokenState& token, const std::string& reader = READER);
    void SetFault(const std::string& function, CK_RV rv, bool always = false);

    std::string state;
    std::unique_ptr<vmw::StateEditor> editor;
    std::unique_ptr<LogCapture> log;
    std::unique_ptr<RecorderAccess> recorder;
    CCryptoki cryptoki;
    CK_SLOT_ID slot = 0;
    CK_SESSION_HANDLE session = 0;
};

// The objects of a class on the card, in the card's order.
std::vector<const vmw::ObjectRecord*> ObjectsOfClass(const vmw::TokenState& token,
                                                     CK_OBJECT_CLASS objectClass);
std::string AttributeHex(const vmw::ObjectRecord& object, CK_ATTRIBUTE_TYPE type);
std::string AttributeText(const vmw::ObjectRecord& object, CK_ATTRIBUTE_TYPE type);
