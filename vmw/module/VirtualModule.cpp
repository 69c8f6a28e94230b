#include "vmw/module/VirtualModule.h"

#include "vmw/module/ObjectRules.h"
#include "vmw/state/TokenFile.h"

#include <algorithm>
#include <cstring>

namespace vmw {

namespace {

constexpr CK_USER_TYPE kNobody = CK_UNAVAILABLE_INFORMATION;

void Pad(CK_UTF8CHAR* field, std::size_t size, const Bytes& text) {
  std::memset(field, ' ', size);
  if (!text.empty())  // an empty vector's data() may be null
    std::memcpy(field, text.data(), std::min(size, text.size()));
}

void Pad(CK_UTF8CHAR* field, std::size_t size, const char* text) {
  Pad(field, size, BytesOf(text));
}

Bytes BytesOf(const CK_UTF8CHAR* data, CK_ULONG length) {
  return data ? Bytes(data, data + length) : Bytes();
}

bool LengthInRange(CK_ULONG length) {
  return length >= TokenState::kMinPinLength && length <= TokenState::kMaxPinLength;
}

CK_FLAGS SecretFlags(const Secret& secret, CK_FLAGS countLow, CK_FLAGS finalTry, CK_FLAGS locked) {
  if (secret.triesLeft <= 0) return locked;
  if (secret.triesLeft == 1) return countLow | finalTry;
  if (secret.triesLeft < TokenState::kMaxTries) return countLow;
  return 0;
}

CK_RV CheckInitArgs(CK_VOID_PTR initArgs) {
  if (initArgs == nullptr) return CKR_OK;
  const CK_C_INITIALIZE_ARGS* args = static_cast<const CK_C_INITIALIZE_ARGS*>(initArgs);
  if (args->pReserved != nullptr) return CKR_ARGUMENTS_BAD;
  const int given = (args->CreateMutex != nullptr) + (args->DestroyMutex != nullptr) +
                    (args->LockMutex != nullptr) + (args->UnlockMutex != nullptr);
  if (given != 0 && given != 4) return CKR_ARGUMENTS_BAD;
  // Only the operating system's locking is available here.
  if (given == 4 && (args->flags & CKF_OS_LOCKING_OK) == 0) return CKR_CANT_LOCK;
  return CKR_OK;
}

}  // namespace

VirtualModule::VirtualModule() : state_(StateFolder::DefaultRoot()) {}

CK_RV VirtualModule::Initialize(CK_VOID_PTR initArgs) {
  if (initialized_) return CKR_CRYPTOKI_ALREADY_INITIALIZED;
  CK_RV rv = CheckInitArgs(initArgs);
  if (rv != CKR_OK) return rv;
  state_ = StateFolder::FromEnvironment();
  slots_.clear();
  for (const std::string& reader : state_.ReaderNames()) {
    if (state_.CardPresent(reader)) {
      Slot slot;
      slot.reader = reader;
      slots_.push_back(slot);
    }
  }
  initialized_ = true;
  return CKR_OK;
}

CK_RV VirtualModule::Finalize(CK_VOID_PTR reserved) {
  if (reserved != nullptr) return CKR_ARGUMENTS_BAD;
  if (!initialized_) return CKR_CRYPTOKI_NOT_INITIALIZED;
  initialized_ = false;
  slots_.clear();
  sessions_.clear();
  sessionObjects_.clear();
  return CKR_OK;
}

CK_RV VirtualModule::GetInfo(CK_INFO_PTR info) {
  if (!initialized_) return CKR_CRYPTOKI_NOT_INITIALIZED;
  if (info == nullptr) return CKR_ARGUMENTS_BAD;
  std::memset(info, 0, sizeof *info);
  info->cryptokiVersion = CK_VERSION{2, 20};
  Pad(info->manufacturerID, sizeof info->manufacturerID, "Quorin virtual middleware");
  Pad(info->libraryDescription, sizeof info->libraryDescription, "Virtual software token");
  info->libraryVersion = CK_VERSION{1, 0};
  return CKR_OK;
}

CK_RV VirtualModule::GetSlotList(CK_BBOOL tokenPresent, CK_SLOT_ID_PTR slots, CK_ULONG_PTR count) {
  if (!initialized_) return CKR_CRYPTOKI_NOT_INITIALIZED;
  if (count == nullptr) return CKR_ARGUMENTS_BAD;
  std::vector<CK_SLOT_ID> listed;
  for (CK_SLOT_ID id = 0; id < slots_.size(); ++id) {
    if (!tokenPresent || state_.CardPresent(slots_[id].reader)) listed.push_back(id);
  }
  if (slots == nullptr) {
    *count = static_cast<CK_ULONG>(listed.size());
    return CKR_OK;
  }
  if (*count < listed.size()) {
    *count = static_cast<CK_ULONG>(listed.size());
    return CKR_BUFFER_TOO_SMALL;
  }
  std::copy(listed.begin(), listed.end(), slots);
  *count = static_cast<CK_ULONG>(listed.size());
  return CKR_OK;
}

CK_RV VirtualModule::GetSlotInfo(CK_SLOT_ID slot, CK_SLOT_INFO_PTR info) {
  if (!initialized_) return CKR_CRYPTOKI_NOT_INITIALIZED;
  if (info == nullptr) return CKR_ARGUMENTS_BAD;
  if (!SlotExists(slot)) return CKR_SLOT_ID_INVALID;
  std::memset(info, 0, sizeof *info);
  Pad(info->slotDescription, sizeof info->slotDescription, BytesOf(slots_[slot].reader));
  Pad(info->manufacturerID, sizeof info->manufacturerID, "Quorin virtual readers");
  info->flags = CKF_REMOVABLE_DEVICE | CKF_HW_SLOT;
  if (state_.CardPresent(slots_[slot].reader)) info->flags |= CKF_TOKEN_PRESENT;
  info->hardwareVersion = CK_VERSION{1, 0};
  info->firmwareVersion = CK_VERSION{1, 0};
  return CKR_OK;
}

CK_RV VirtualModule::GetTokenInfo(CK_SLOT_ID slot, CK_TOKEN_INFO_PTR info) {
  if (!initialized_) return CKR_CRYPTOKI_NOT_INITIALIZED;
  if (info == nullptr) return CKR_ARGUMENTS_BAD;
  if (!SlotExists(slot)) return CKR_SLOT_ID_INVALID;
  TokenState token;
  CK_RV rv = LoadCard(slot, token);
  if (rv != CKR_OK) return rv;
  std::memset(info, 0, sizeof *info);
  Pad(info->label, sizeof info->label, token.label);
  Pad(info->manufacturerID, sizeof info->manufacturerID, token.manufacturer);
  Pad(info->model, sizeof info->model, token.model);
  Pad(info->serialNumber, sizeof info->serialNumber, token.serial);
  info->flags = CKF_LOGIN_REQUIRED | CKF_TOKEN_INITIALIZED;
  if (token.userPinInitialized) info->flags |= CKF_USER_PIN_INITIALIZED;
  if (token.pinToBeChanged) info->flags |= CKF_USER_PIN_TO_BE_CHANGED;
  if (token.pukToBeChanged) info->flags |= CKF_SO_PIN_TO_BE_CHANGED;
  info->flags |= SecretFlags(token.pin, CKF_USER_PIN_COUNT_LOW, CKF_USER_PIN_FINAL_TRY,
                             CKF_USER_PIN_LOCKED);
  info->flags |= SecretFlags(token.puk, CKF_SO_PIN_COUNT_LOW, CKF_SO_PIN_FINAL_TRY,
                             CKF_SO_PIN_LOCKED);
  info->ulMaxSessionCount = CK_EFFECTIVELY_INFINITE;
  info->ulSessionCount = static_cast<CK_ULONG>(SessionCount(slot, false));
  info->ulMaxRwSessionCount = CK_EFFECTIVELY_INFINITE;
  info->ulRwSessionCount = static_cast<CK_ULONG>(SessionCount(slot, true));
  info->ulMaxPinLen = TokenState::kMaxPinLength;
  info->ulMinPinLen = TokenState::kMinPinLength;
  info->ulTotalPublicMemory = CK_UNAVAILABLE_INFORMATION;
  info->ulFreePublicMemory = CK_UNAVAILABLE_INFORMATION;
  info->ulTotalPrivateMemory = CK_UNAVAILABLE_INFORMATION;
  info->ulFreePrivateMemory = CK_UNAVAILABLE_INFORMATION;
  info->hardwareVersion = CK_VERSION{1, 0};
  info->firmwareVersion = CK_VERSION{1, 0};
  std::memset(info->utcTime, ' ', sizeof info->utcTime);
  return CKR_OK;
}

CK_RV VirtualModule::GetMechanismList(CK_SLOT_ID slot, CK_MECHANISM_TYPE_PTR, CK_ULONG_PTR count) {
  if (!initialized_) return CKR_CRYPTOKI_NOT_INITIALIZED;
  if (count == nullptr) return CKR_ARGUMENTS_BAD;
  if (!SlotExists(slot)) return CKR_SLOT_ID_INVALID;
  *count = 0;  // the token stores objects; it computes nothing
  return CKR_OK;
}

CK_RV VirtualModule::GetMechanismInfo(CK_SLOT_ID slot, CK_MECHANISM_TYPE, CK_MECHANISM_INFO_PTR info) {
  if (!initialized_) return CKR_CRYPTOKI_NOT_INITIALIZED;
  if (info == nullptr) return CKR_ARGUMENTS_BAD;
  if (!SlotExists(slot)) return CKR_SLOT_ID_INVALID;
  return CKR_MECHANISM_INVALID;
}

CK_RV VirtualModule::InitToken(CK_SLOT_ID slot, CK_UTF8CHAR_PTR pin, CK_ULONG pinLength,
                               CK_UTF8CHAR_PTR label) {
  if (!initialized_) return CKR_CRYPTOKI_NOT_INITIALIZED;
  if (label == nullptr || (pin == nullptr && pinLength != 0)) return CKR_ARGUMENTS_BAD;
  if (!SlotExists(slot)) return CKR_SLOT_ID_INVALID;
  Context context;
  CK_RV rv = LoadCard(slot, context.token);
  if (rv != CKR_OK) return rv;
  context.slot = &slots_[slot];
  Bytes newLabel(label, label + 32);
  while (!newLabel.empty() && newLabel.back() == ' ') newLabel.pop_back();
  if (pinLength == 0) {
    // An empty security officer PIN renames the token and keeps everything on it.
    context.token.label = newLabel;
    return Save(context);
  }
  if (SessionCount(slot, false) != 0) return CKR_SESSION_EXISTS;
  rv = VerifySecret(context, context.token.puk, pin, pinLength);
  if (rv != CKR_OK) return rv;
  context.token.label = newLabel;
  context.token.objects.clear();
  context.token.pin = Secret();
  context.token.userPinInitialized = false;
  return Save(context);
}

CK_RV VirtualModule::InitPIN(CK_SESSION_HANDLE handle, CK_UTF8CHAR_PTR pin, CK_ULONG pinLength) {
  Context context;
  CK_RV rv = Enter(handle, context);
  if (rv != CKR_OK) return rv;
  if (pin == nullptr && pinLength != 0) return CKR_ARGUMENTS_BAD;
  if (context.slot->loggedInAs != CKU_SO) return CKR_USER_NOT_LOGGED_IN;
  if ((context.session->flags & CKF_RW_SESSION) == 0) return CKR_SESSION_READ_ONLY;
  if (!LengthInRange(pinLength)) return CKR_PIN_LEN_RANGE;
  context.token.pin.value = BytesOf(pin, pinLength);
  context.token.pin.triesLeft = TokenState::kMaxTries;
  context.token.userPinInitialized = true;
  context.token.pinToBeChanged = false;
  return Save(context);
}

CK_RV VirtualModule::SetPIN(CK_SESSION_HANDLE handle, CK_UTF8CHAR_PTR oldPin, CK_ULONG oldLength,
                            CK_UTF8CHAR_PTR newPin, CK_ULONG newLength) {
  Context context;
  CK_RV rv = Enter(handle, context);
  if (rv != CKR_OK) return rv;
  if ((oldPin == nullptr && oldLength != 0) || (newPin == nullptr && newLength != 0))
    return CKR_ARGUMENTS_BAD;
  if ((context.session->flags & CKF_RW_SESSION) == 0) return CKR_SESSION_READ_ONLY;
  const bool officer = context.slot->loggedInAs == CKU_SO;
  Secret& secret = officer ? context.token.puk : context.token.pin;
  if (!officer && !context.token.userPinInitialized) return CKR_USER_PIN_NOT_INITIALIZED;
  if (!LengthInRange(newLength)) return CKR_PIN_LEN_RANGE;
  rv = VerifySecret(context, secret, oldPin, oldLength);
  if (rv != CKR_OK) return rv;
  secret.value = BytesOf(newPin, newLength);
  (officer ? context.token.pukToBeChanged : context.token.pinToBeChanged) = false;
  return Save(context);
}

CK_RV VirtualModule::OpenSession(CK_SLOT_ID slot, CK_FLAGS flags, CK_SESSION_HANDLE_PTR handle) {
  if (!initialized_) return CKR_CRYPTOKI_NOT_INITIALIZED;
  if (handle == nullptr) return CKR_ARGUMENTS_BAD;
  if (!SlotExists(slot)) return CKR_SLOT_ID_INVALID;
  if ((flags & CKF_SERIAL_SESSION) == 0) return CKR_SESSION_PARALLEL_NOT_SUPPORTED;
  TokenState token;
  CK_RV rv = LoadCard(slot, token);
  if (rv != CKR_OK) return rv;
  Slot& entry = slots_[slot];
  if (entry.loggedInAs != kNobody && entry.loginInsertion != token.insertion) DropSlotSessions(slot);
  if ((flags & CKF_RW_SESSION) == 0 && entry.loggedInAs == CKU_SO)
    return CKR_SESSION_READ_WRITE_SO_EXISTS;
  Session session;
  session.slot = slot;
  session.flags = flags & (CKF_SERIAL_SESSION | CKF_RW_SESSION);
  session.insertion = token.insertion;
  *handle = nextSession_++;
  sessions_[*handle] = session;
  return CKR_OK;
}

CK_RV VirtualModule::CloseSession(CK_SESSION_HANDLE handle) {
  if (!initialized_) return CKR_CRYPTOKI_NOT_INITIALIZED;
  if (sessions_.find(handle) == sessions_.end()) return CKR_SESSION_HANDLE_INVALID;
  DropSession(handle);
  return CKR_OK;
}

CK_RV VirtualModule::CloseAllSessions(CK_SLOT_ID slot) {
  if (!initialized_) return CKR_CRYPTOKI_NOT_INITIALIZED;
  if (!SlotExists(slot)) return CKR_SLOT_ID_INVALID;
  DropSlotSessions(slot);
  return CKR_OK;
}

CK_RV VirtualModule::GetSessionInfo(CK_SESSION_HANDLE handle, CK_SESSION_INFO_PTR info) {
  Context context;
  CK_RV rv = Enter(handle, context);
  if (rv != CKR_OK) return rv;
  if (info == nullptr) return CKR_ARGUMENTS_BAD;
  const bool readWrite = (context.session->flags & CKF_RW_SESSION) != 0;
  info->slotID = context.session->slot;
  info->flags = context.session->flags;
  info->ulDeviceError = 0;
  switch (context.slot->loggedInAs) {
    case CKU_SO: info->state = CKS_RW_SO_FUNCTIONS; break;
    case CKU_USER: info->state = readWrite ? CKS_RW_USER_FUNCTIONS : CKS_RO_USER_FUNCTIONS; break;
    default: info->state = readWrite ? CKS_RW_PUBLIC_SESSION : CKS_RO_PUBLIC_SESSION; break;
  }
  return CKR_OK;
}

CK_RV VirtualModule::Login(CK_SESSION_HANDLE handle, CK_USER_TYPE user, CK_UTF8CHAR_PTR pin,
                           CK_ULONG length) {
  Context context;
  CK_RV rv = Enter(handle, context);
  if (rv != CKR_OK) return rv;
  if (pin == nullptr && length != 0) return CKR_ARGUMENTS_BAD;
  if (user != CKU_SO && user != CKU_USER) return CKR_USER_TYPE_INVALID;
  if (context.slot->loggedInAs == user) return CKR_USER_ALREADY_LOGGED_IN;
  if (context.slot->loggedInAs != kNobody) return CKR_USER_ANOTHER_ALREADY_LOGGED_IN;
  if (user == CKU_SO) {
    for (const auto& entry : sessions_) {
      if (entry.second.slot == context.session->slot && (entry.second.flags & CKF_RW_SESSION) == 0)
        return CKR_SESSION_READ_ONLY_EXISTS;
    }
  } else if (!context.token.userPinInitialized) {
    return CKR_USER_PIN_NOT_INITIALIZED;
  }
  rv = VerifySecret(context, user == CKU_SO ? context.token.puk : context.token.pin, pin, length);
  if (rv != CKR_OK) return rv;
  context.slot->loggedInAs = user;
  context.slot->loginInsertion = context.token.insertion;
  return CKR_OK;
}

CK_RV VirtualModule::Logout(CK_SESSION_HANDLE handle) {
  Context context;
  CK_RV rv = Enter(handle, context);
  if (rv != CKR_OK) return rv;
  if (context.slot->loggedInAs == kNobody) return CKR_USER_NOT_LOGGED_IN;
  context.slot->loggedInAs = kNobody;
  return CKR_OK;
}

CK_RV VirtualModule::CreateObject(CK_SESSION_HANDLE handle, CK_ATTRIBUTE_PTR attributes,
                                  CK_ULONG count, CK_OBJECT_HANDLE_PTR object) {
  Context context;
  CK_RV rv = Enter(handle, context);
  if (rv != CKR_OK) return rv;
  if (object == nullptr) return CKR_ARGUMENTS_BAD;
  ObjectRecord record;
  rv = ObjectFromTemplate(attributes, count, record);
  if (rv != CKR_OK) return rv;
  rv = CheckWrite(context, record);
  if (rv != CKR_OK) return rv;
  if (!IsTokenObject(record)) {
    record.id = nextSessionObject_++;
    sessionObjects_[record.id] = SessionObject{handle, context.session->slot, record};
    *object = record.id;
    return CKR_OK;
  }
  if (context.token.nextObjectId >= kSessionObjectBase) return CKR_DEVICE_MEMORY;
  ObjectRecord& added = context.token.AddObject();
  const unsigned long id = added.id;
  record.id = id;
  added = record;
  rv = Save(context);
  if (rv == CKR_OK) *object = id;
  return rv;
}

CK_RV VirtualModule::DestroyObject(CK_SESSION_HANDLE handle, CK_OBJECT_HANDLE object) {
  Context context;
  CK_RV rv = Enter(handle, context);
  if (rv != CKR_OK) return rv;
  ObjectRecord* record = FindObject(context, object);
  if (record == nullptr) return CKR_OBJECT_HANDLE_INVALID;
  rv = CheckWrite(context, *record);
  if (rv != CKR_OK) return rv;
  if (record->undeletable) return CKR_ACTION_PROHIBITED;
  if (object >= kSessionObjectBase) {
    sessionObjects_.erase(object);
    return CKR_OK;
  }
  context.token.RemoveObject(object);
  return Save(context);
}

CK_RV VirtualModule::GetObjectSize(CK_SESSION_HANDLE handle, CK_OBJECT_HANDLE object,
                                   CK_ULONG_PTR size) {
  Context context;
  CK_RV rv = Enter(handle, context);
  if (rv != CKR_OK) return rv;
  if (size == nullptr) return CKR_ARGUMENTS_BAD;
  ObjectRecord* record = FindObject(context, object);
  if (record == nullptr) return CKR_OBJECT_HANDLE_INVALID;
  CK_ULONG total = 0;
  for (const auto& attribute : record->attributes)
    total += attribute.second.isNumber ? sizeof(CK_ULONG) : attribute.second.octets.size();
  *size = total;
  return CKR_OK;
}

CK_RV VirtualModule::GetAttributeValue(CK_SESSION_HANDLE handle, CK_OBJECT_HANDLE object,
                                       CK_ATTRIBUTE_PTR attributes, CK_ULONG count) {
  Context context;
  CK_RV rv = Enter(handle, context);
  if (rv != CKR_OK) return rv;
  ObjectRecord* record = FindObject(context, object);
  if (record == nullptr) return CKR_OBJECT_HANDLE_INVALID;
  return ReadAttributes(*record, attributes, count);
}

CK_RV VirtualModule::SetAttributeValue(CK_SESSION_HANDLE handle, CK_OBJECT_HANDLE object,
                                       CK_ATTRIBUTE_PTR attributes, CK_ULONG count) {
  Context context;
  CK_RV rv = Enter(handle, context);
  if (rv != CKR_OK) return rv;
  ObjectRecord* record = FindObject(context, object);
  if (record == nullptr) return CKR_OBJECT_HANDLE_INVALID;
  rv = CheckWrite(context, *record);
  if (rv != CKR_OK) return rv;
  ObjectRecord changed = *record;
  rv = ApplyTemplate(attributes, count, changed);
  if (rv != CKR_OK) return rv;
  rv = CheckWrite(context, changed);  // CKA_PRIVATE may have been turned on
  if (rv != CKR_OK) return rv;
  *record = changed;
  return object >= kSessionObjectBase ? CKR_OK : Save(context);
}

CK_RV VirtualModule::FindObjectsInit(CK_SESSION_HANDLE handle, CK_ATTRIBUTE_PTR attributes,
                                     CK_ULONG count) {
  Context context;
  CK_RV rv = Enter(handle, context);
  if (rv != CKR_OK) return rv;
  if (context.session->finding) return CKR_OPERATION_ACTIVE;
  rv = CheckSearchTemplate(attributes, count);
  if (rv != CKR_OK) return rv;
  std::vector<CK_OBJECT_HANDLE> found;
  for (const ObjectRecord& object : context.token.objects) {
    if (Visible(context, object) && Matches(object, attributes, count)) found.push_back(object.id);
  }
  for (const auto& entry : sessionObjects_) {
    const ObjectRecord& object = entry.second.record;
    if (entry.second.slot == context.session->slot && Visible(context, object) &&
        Matches(object, attributes, count))
      found.push_back(entry.first);
  }
  context.session->finding = true;
  context.session->found.swap(found);
  context.session->nextFound = 0;
  return CKR_OK;
}

CK_RV VirtualModule::FindObjects(CK_SESSION_HANDLE handle, CK_OBJECT_HANDLE_PTR objects,
                                 CK_ULONG max, CK_ULONG_PTR found) {
  Context context;
  CK_RV rv = Enter(handle, context);
  if (rv != CKR_OK) return rv;
  if (found == nullptr || (objects == nullptr && max != 0)) return CKR_ARGUMENTS_BAD;
  Session& session = *context.session;
  if (!session.finding) return CKR_OPERATION_NOT_INITIALIZED;
  CK_ULONG n = 0;
  while (n < max && session.nextFound < session.found.size()) objects[n++] = session.found[session.nextFound++];
  *found = n;
  return CKR_OK;
}

CK_RV VirtualModule::FindObjectsFinal(CK_SESSION_HANDLE handle) {
  Context context;
  CK_RV rv = Enter(handle, context);
  if (rv != CKR_OK) return rv;
  if (!context.session->finding) return CKR_OPERATION_NOT_INITIALIZED;
  context.session->finding = false;
  context.session->found.clear();
  return CKR_OK;
}

// --- helpers ---

CK_RV VirtualModule::LoadCard(CK_SLOT_ID slot, TokenState& token) const {
  if (!state_.HasReader(slots_[slot].reader)) return CKR_TOKEN_NOT_PRESENT;
  switch (LoadToken(state_.TokenFile(slots_[slot].reader), token)) {
    case LoadResult::Ok: return CKR_OK;
    case LoadResult::Missing: return CKR_TOKEN_NOT_PRESENT;
    case LoadResult::Damaged: return CKR_TOKEN_NOT_RECOGNIZED;
  }
  return CKR_GENERAL_ERROR;
}

CK_RV VirtualModule::Enter(CK_SESSION_HANDLE handle, Context& context) {
  if (!initialized_) return CKR_CRYPTOKI_NOT_INITIALIZED;
  auto it = sessions_.find(handle);
  if (it == sessions_.end()) return CKR_SESSION_HANDLE_INVALID;
  const CK_SLOT_ID slot = it->second.slot;
  CK_RV rv = LoadCard(slot, context.token);
  if (rv == CKR_TOKEN_NOT_RECOGNIZED) return CKR_DEVICE_ERROR;
  if (rv != CKR_OK || context.token.insertion != it->second.insertion) {
    // The card went away (or another took its place): its sessions end with it.
    DropSlotSessions(slot);
    return CKR_DEVICE_REMOVED;
  }
  context.handle = handle;
  context.session = &it->second;
  context.slot = &slots_[slot];
  return CKR_OK;
}

CK_RV VirtualModule::Save(const Context& context) {
  const std::string& reader = context.slot->reader;
  // Never write a card back into a reader it has left.
  if (!state_.CardPresent(reader)) return CKR_DEVICE_REMOVED;
  return SaveToken(state_.TokenFile(reader), context.token) ? CKR_OK : CKR_DEVICE_ERROR;
}

void VirtualModule::DropSession(CK_SESSION_HANDLE handle) {
  auto it = sessions_.find(handle);
  if (it == sessions_.end()) return;
  const CK_SLOT_ID slot = it->second.slot;
  sessions_.erase(it);
  for (auto object = sessionObjects_.begin(); object != sessionObjects_.end();) {
    object = object->second.owner == handle ? sessionObjects_.erase(object) : std::next(object);
  }
  if (SessionCount(slot, false) == 0) slots_[slot].loggedInAs = kNobody;
}

void VirtualModule::DropSlotSessions(CK_SLOT_ID slot) {
  std::vector<CK_SESSION_HANDLE> handles;
  for (const auto& entry : sessions_) {
    if (entry.second.slot == slot) handles.push_back(entry.first);
  }
  for (CK_SESSION_HANDLE handle : handles) DropSession(handle);
  slots_[slot].loggedInAs = kNobody;
}

std::size_t VirtualModule::SessionCount(CK_SLOT_ID slot, bool readWriteOnly) const {
  return static_cast<std::size_t>(std::count_if(sessions_.begin(), sessions_.end(), [&](const auto& entry) {
    return entry.second.slot == slot && (!readWriteOnly || (entry.second.flags & CKF_RW_SESSION));
  }));
}

CK_RV VirtualModule::CheckWrite(const Context& context, const ObjectRecord& object) const {
  if (IsTokenObject(object) && (context.session->flags & CKF_RW_SESSION) == 0)
    return CKR_SESSION_READ_ONLY;
  if (IsPrivateObject(object) && !UserLoggedIn(*context.slot)) return CKR_USER_NOT_LOGGED_IN;
  return CKR_OK;
}

bool VirtualModule::Visible(const Context& context, const ObjectRecord& object) const {
  return !IsPrivateObject(object) || UserLoggedIn(*context.slot);
}

ObjectRecord* VirtualModule::FindObject(Context& context, CK_OBJECT_HANDLE handle) {
  ObjectRecord* record = nullptr;
  if (handle >= kSessionObjectBase) {
    auto it = sessionObjects_.find(handle);
    if (it != sessionObjects_.end() && it->second.slot == context.session->slot)
      record = &it->second.record;
  } else {
    record = context.token.FindObject(static_cast<unsigned long>(handle));
  }
  return record && Visible(context, *record) ? record : nullptr;
}

CK_RV VirtualModule::VerifySecret(Context& context, Secret& secret, CK_UTF8CHAR_PTR pin,
                                  CK_ULONG length) {
  if (secret.triesLeft <= 0) return CKR_PIN_LOCKED;
  if (BytesOf(pin, length) == secret.value) {
    if (secret.triesLeft == TokenState::kMaxTries) return CKR_OK;
    secret.triesLeft = TokenState::kMaxTries;
    return Save(context);
  }
  --secret.triesLeft;
  CK_RV rv = Save(context);
  return rv == CKR_OK ? CKR_PIN_INCORRECT : rv;
}

}  // namespace vmw
