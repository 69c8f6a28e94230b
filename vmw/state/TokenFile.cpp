#include "vmw/state/TokenFile.h"

#include "vmw/state/AttributeTable.h"
#include "vmw/state/DurableFile.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace vmw {

namespace {

std::string FormatAttribute(unsigned long type, const AttributeValue& value) {
  std::string line = "  " + AttributeName(type) + " = ";
  if (value.isNumber) return line + "number " + std::to_string(value.number) + "\n";
  if (KindOf(type) == AttributeKind::Text) return line + "text " + Quote(value.octets) + "\n";
  return line + "hex " + ToHex(value.octets) + "\n";
}

std::string Trim(const std::string& text) {
  std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return std::string();
  std::size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

bool ParseNumber(const std::string& text, unsigned long long limit, unsigned long long& out) {
  if (text.empty() || text.size() > 20) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  errno = 0;
  unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
  if (errno != 0 || value > limit) return false;
  out = value;
  return true;
}

bool ParseYesNo(const std::string& text, bool& out) {
  if (text == "yes") return out = true, true;
  if (text == "no") return out = false, true;
  return false;
}

bool ParseTries(const std::string& text, int& out) {
  unsigned long long value = 0;
  if (!ParseNumber(text, TokenState::kMaxTries, value)) return false;
  out = static_cast<int>(value);
  return true;
}

bool ParseAttributeValue(const std::string& text, AttributeValue& value) {
  std::size_t space = text.find(' ');
  std::string form = text.substr(0, space);
  std::string rest = space == std::string::npos ? std::string() : text.substr(space + 1);
  value = AttributeValue();
  if (form == "number") {
    value.isNumber = true;
    return ParseNumber(rest, 0xFFFFFFFFull, value.number);
  }
  if (form == "text") return Unquote(rest, value.octets);
  if (form == "hex") return FromHex(rest, value.octets);
  return false;
}

class Parser {
 public:
  Parser(TokenState& token, std::string& error) : token_(token), error_(error) {}

  bool Line(const std::string& raw) {
    ++number_;
    std::string line = Trim(raw);
    if (line.empty() || line[0] == '#') return true;
    if (object_) return ObjectLine(line);
    if (line.compare(0, 7, "object ") == 0) return StartObject(line.substr(7));
    std::size_t equals = line.find(" = ");
    if (equals == std::string::npos) return Fail("expected 'name = value'");
    return Field(line.substr(0, equals), line.substr(equals + 3));
  }

  bool Finish() {
    if (object_) return Fail("object without 'end'");
    if (!sawSerial_) return Fail("no serial");
    // New objects never take the id of one already on the card, whatever the file says.
    for (const ObjectRecord& object : token_.objects) {
      if (object.id >= token_.nextObjectId) token_.nextObjectId = object.id + 1;
    }
    return true;
  }

 private:
  bool Fail(const std::string& why) {
    error_ = "line " + std::to_string(number_) + ": " + why;
    return false;
  }

  bool Field(const std::string& name, const std::string& value) {
    bool ok = false;
    if (name == "label") ok = Unquote(value, token_.label);
    else if (name == "manufacturer") ok = Unquote(value, token_.manufacturer);
    else if (name == "model") ok = Unquote(value, token_.model);
    else if (name == "serial") ok = sawSerial_ = Unquote(value, token_.serial);
    else if (name == "pin") ok = Unquote(value, token_.pin.value);
    else if (name == "puk") ok = Unquote(value, token_.puk.value);
    else if (name == "pin-tries-left") ok = ParseTries(value, token_.pin.triesLeft);
    else if (name == "puk-tries-left") ok = ParseTries(value, token_.puk.triesLeft);
    else if (name == "user-pin-initialized") ok = ParseYesNo(value, token_.userPinInitialized);
    else if (name == "pin-to-be-changed") ok = ParseYesNo(value, token_.pinToBeChanged);
    else if (name == "puk-to-be-changed") ok = ParseYesNo(value, token_.pukToBeChanged);
    else if (name == "insertion" || name == "next-object") {
      unsigned long long number = 0;
      ok = ParseNumber(value, 0xFFFFFFFFull, number);
      (name == "insertion" ? token_.insertion : token_.nextObjectId) =
          static_cast<unsigned long>(number);
    } else {
      return Fail("unknown field '" + name + "'");
    }
    return ok || Fail("bad value for '" + name + "'");
  }

  bool StartObject(const std::string& idText) {
    unsigned long long id = 0;
    if (!ParseNumber(idText, 0x3FFFFFFFull, id) || id == 0) return Fail("bad object id");
    if (token_.FindObject(static_cast<unsigned long>(id))) return Fail("object id used twice");
    token_.objects.emplace_back();
    token_.objects.back().id = static_cast<unsigned long>(id);
    object_ = true;
    return true;
  }

  bool ObjectLine(const std::string& line) {
    ObjectRecord& object = token_.objects.back();
    if (line == "end") {
      object_ = false;
      return true;
    }
    std::size_t equals = line.find(" = ");
    if (equals == std::string::npos) return Fail("expected 'attribute = value'");
    std::string name = line.substr(0, equals);
    std::string value = line.substr(equals + 3);
    if (name == "undeletable") return ParseYesNo(value, object.undeletable) || Fail("bad value");
    unsigned long type = 0;
    if (!ParseAttributeName(name, type)) return Fail("unknown attribute '" + name + "'");
    if (object.Find(type)) return Fail("attribute given twice");
    AttributeValue parsed;
    if (!ParseAttributeValue(value, parsed)) return Fail("bad value for " + name);
    object.attributes[type] = parsed;
    return true;
  }

  TokenState& token_;
  std::string& error_;
  int number_ = 0;
  bool object_ = false;
  bool sawSerial_ = false;
};

}  // namespace

std::string FormatToken(const TokenState& token) {
  std::ostringstream out;
  out << "# virtual token\n"
      << "label = " << Quote(token.label) << "\n"
      << "manufacturer = " << Quote(token.manufacturer) << "\n"
      << "model = " << Quote(token.model) << "\n"
      << "serial = " << Quote(token.serial) << "\n"
      << "insertion = " << token.insertion << "\n"
      << "pin = " << Quote(token.pin.value) << "\n"
      << "pin-tries-left = " << token.pin.triesLeft << "\n"
      << "puk = " << Quote(token.puk.value) << "\n"
      << "puk-tries-left = " << token.puk.triesLeft << "\n"
      << "user-pin-initialized = " << (token.userPinInitialized ? "yes" : "no") << "\n"
      << "pin-to-be-changed = " << (token.pinToBeChanged ? "yes" : "no") << "\n"
      << "puk-to-be-changed = " << (token.pukToBeChanged ? "yes" : "no") << "\n"
      << "next-object = " << token.nextObjectId << "\n";
  for (const ObjectRecord& object : token.objects) {
    out << "\nobject " << object.id << "\n";
    if (object.undeletable) out << "  undeletable = yes\n";
    for (const auto& attribute : object.attributes) out << FormatAttribute(attribute.first, attribute.second);
    out << "end\n";
  }
  return out.str();
}

bool ParseToken(const std::string& text, TokenState& token, std::string& error) {
  TokenState parsed;
  Parser parser(parsed, error);
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!parser.Line(line)) return false;
  }
  if (!parser.Finish()) return false;
  token = std::move(parsed);
  return true;
}

LoadResult LoadToken(const std::string& path, TokenState& token, std::string* error) {
  std::string text;
  if (!ReadWholeFile(path, text)) return LoadResult::Missing;
  std::string reason;
  if (!ParseToken(text, token, reason)) {
    if (error) *error = path + ": " + reason;
    return LoadResult::Damaged;
  }
  return LoadResult::Ok;
}

bool SaveToken(const std::string& path, const TokenState& token) {
  return WriteFileDurably(path, FormatToken(token));
}

}  // namespace vmw
