#include "vmw/state/TokenState.h"

#include <algorithm>

namespace vmw {

const AttributeValue* ObjectRecord::Find(unsigned long type) const {
  auto it = attributes.find(type);
  return it == attributes.end() ? nullptr : &it->second;
}

bool ObjectRecord::IsTrue(unsigned long type) const {
  const AttributeValue* value = Find(type);
  return value && !value->isNumber && value->octets.size() == 1 && value->octets[0] != 0;
}

unsigned long long ObjectRecord::NumberOr(unsigned long type, unsigned long long fallback) const {
  const AttributeValue* value = Find(type);
  return value && value->isNumber ? value->number : fallback;
}

void ObjectRecord::SetOctets(unsigned long type, const Bytes& value) {
  AttributeValue& slot = attributes[type];
  slot.isNumber = false;
  slot.number = 0;
  slot.octets = value;
}

void ObjectRecord::SetNumber(unsigned long type, unsigned long long value) {
  AttributeValue& slot = attributes[type];
  slot.isNumber = true;
  slot.number = value;
  slot.octets.clear();
}

void ObjectRecord::SetBool(unsigned long type, bool value) {
  SetOctets(type, Bytes{static_cast<unsigned char>(value ? 1 : 0)});
}

ObjectRecord* TokenState::FindObject(unsigned long id) {
  for (ObjectRecord& object : objects) {
    if (object.id == id) return &object;
  }
  return nullptr;
}

ObjectRecord& TokenState::AddObject() {
  objects.emplace_back();
  objects.back().id = nextObjectId++;
  return objects.back();
}

bool TokenState::RemoveObject(unsigned long id) {
  auto it = std::find_if(objects.begin(), objects.end(),
                         [id](const ObjectRecord& object) { return object.id == id; });
  if (it == objects.end()) return false;
  objects.erase(it);
  return true;
}

}  // namespace vmw
