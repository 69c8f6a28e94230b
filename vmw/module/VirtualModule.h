// The software token behind the function list: one slot per virtual reader
// that held a card when the library was initialised, the sessions, the login
// state of each slot, and the session objects. Token objects and secrets live
// in the card's token file, read again on every call that needs them.
#ifndef QUORIN_VMW_MODULE_VIRTUAL_MODULE_H
#define QUORIN_VMW_MODULE_VIRTUAL_MODULE_H

#include "platform/cryptoki/cryptoki.h"
#include "vmw/state/StateFolder.h"
#include "vmw/state/TokenState.h"

#include <map>
#include <string>
#include <vector>

namespace vmw {

class VirtualModule {
 public:
  VirtualModule();

  CK_RV Initialize(CK_VOID_PTR initArgs);
  CK_RV Finalize(CK_VOID_PTR reserved);
  CK_RV GetInfo(CK_INFO_PTR info);
  CK_RV GetSlotList(CK_BBOOL tokenPresent, CK_SLOT_ID_PTR slots, CK_ULONG_PTR count);
  CK_RV GetSlotInfo(CK_SLOT_ID slot, CK_SLOT_INFO_PTR info);
  CK_RV GetTokenInfo(CK_SLOT_ID slot, CK_TOKEN_INFO_PTR info);
  CK_RV GetMechanismList(CK_SLOT_ID slot, CK_MECHANISM_TYPE_PTR list, CK_ULONG_PTR count);
  CK_RV GetMechanismInfo(CK_SLOT_ID slot, CK_MECHANISM_TYPE type, CK_MECHANISM_INFO_PTR info);
  CK_RV InitToken(CK_SLOT_ID slot, CK_UTF8CHAR_PTR pin, CK_ULONG pinLength, CK_UTF8CHAR_PTR label);
  CK_RV InitPIN(CK_SESSION_HANDLE session, CK_UTF8CHAR_PTR pin, CK_ULONG pinLength);
  CK_RV SetPIN(CK_SESSION_HANDLE session, CK_UTF8CHAR_PTR oldPin, CK_ULONG oldLength,
               CK_UTF8CHAR_PTR newPin, CK_ULONG newLength);
  CK_RV OpenSession(CK_SLOT_ID slot, CK_FLAGS flags, CK_SESSION_HANDLE_PTR session);
  CK_RV CloseSession(CK_SESSION_HANDLE session);
  CK_RV CloseAllSessions(CK_SLOT_ID slot);
  CK_RV GetSessionInfo(CK_SESSION_HANDLE session, CK_SESSION_INFO_PTR info);
  CK_RV Login(CK_SESSION_HANDLE session, CK_USER_TYPE user, CK_UTF8CHAR_PTR pin, CK_ULONG length);
  CK_RV Logout(CK_SESSION_HANDLE session);
  CK_RV CreateObject(CK_SESSION_HANDLE session, CK_ATTRIBUTE_PTR attributes, CK_ULONG count,
                     CK_OBJECT_HANDLE_PTR object);
  CK_RV DestroyObject(CK_SESSION_HANDLE session, CK_OBJECT_HANDLE object);
  CK_RV GetObjectSize(CK_SESSION_HANDLE session, CK_OBJECT_HANDLE object, CK_ULONG_PTR size);
  CK_RV GetAttributeValue(CK_SESSION_HANDLE session, CK_OBJECT_HANDLE object,
                          CK_ATTRIBUTE_PTR attributes, CK_ULONG count);
  CK_RV SetAttributeValue(CK_SESSION_HANDLE session, CK_OBJECT_HANDLE object,
                          CK_ATTRIBUTE_PTR attributes, CK_ULONG count);
  CK_RV FindObjectsInit(CK_SESSION_HANDLE session, CK_ATTRIBUTE_PTR attributes, CK_ULONG count);
  CK_RV FindObjects(CK_SESSION_HANDLE session, CK_OBJECT_HANDLE_PTR objects, CK_ULONG max,
                    CK_ULONG_PTR found);
  CK_RV FindObjectsFinal(CK_SESSION_HANDLE session);

 private:
  // Handles of session objects start here; token objects keep their file ids.
  static constexpr CK_OBJECT_HANDLE kSessionObjectBase = 0x40000000;

  struct Slot {
    std::string reader;
    CK_USER_TYPE loggedInAs = CK_UNAVAILABLE_INFORMATION;  // nobody
    unsigned long loginInsertion = 0;
  };
  struct Session {
    CK_SLOT_ID slot = 0;
    CK_FLAGS flags = 0;
    unsigned long insertion = 0;
    bool finding = false;
    std::vector<CK_OBJECT_HANDLE> found;
    std::size_t nextFound = 0;
  };
  struct SessionObject {
    CK_SESSION_HANDLE owner = 0;
    CK_SLOT_ID slot = 0;
    ObjectRecord record;
  };
  // What a call on a session works with: the session, its slot and its card.
  struct Context {
    CK_SESSION_HANDLE handle = 0;
    Session* session = nullptr;
    Slot* slot = nullptr;
    TokenState token;
  };

  bool SlotExists(CK_SLOT_ID slot) const { return slot < slots_.size(); }
  bool UserLoggedIn(const Slot& slot) const { return slot.loggedInAs == CKU_USER; }
  CK_RV LoadCard(CK_SLOT_ID slot, TokenState& token) const;
  CK_RV Enter(CK_SESSION_HANDLE handle, Context& context);
  CK_RV Save(const Context& context);
  void DropSlotSessions(CK_SLOT_ID slot);
  void DropSession(CK_SESSION_HANDLE handle);
  std::size_t SessionCount(CK_SLOT_ID slot, bool readWriteOnly) const;

  CK_RV CheckWrite(const Context& context, const ObjectRecord& object) const;
  bool Visible(const Context& context, const ObjectRecord& object) const;
  // The object behind a handle when the session may see it, or null.
  ObjectRecord* FindObject(Context& context, CK_OBJECT_HANDLE handle);
  CK_RV VerifySecret(Context& context, Secret& secret, CK_UTF8CHAR_PTR pin, CK_ULONG length);

  bool initialized_ = false;
  StateFolder state_;
  std::vector<Slot> slots_;
  std::map<CK_SESSION_HANDLE, Session> sessions_;
  std::map<CK_OBJECT_HANDLE, SessionObject> sessionObjects_;
  CK_SESSION_HANDLE nextSession_ = 1;
  CK_OBJECT_HANDLE nextSessionObject_ = kSessionObjectBase;
};

}  // namespace vmw

#endif
