#include "vmw/state/Bytes.h"

namespace vmw {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

const char kDigits[] = "0123456789ABCDEF";

}  // namespace

Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::string TextOf(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::string ToHex(const Bytes& bytes) {
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (unsigned char b : bytes) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 0x0F];
  }
  return hex;
}

bool FromHex(const std::string& hex, Bytes& out) {
  if (hex.size() % 2 != 0) return false;
  Bytes result;
  result.reserve(hex.size() / 2);
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    int high = HexDigit(hex[i]);
    int low = HexDigit(hex[i + 1]);
    if (high < 0 || low < 0) return false;
    result.push_back(static_cast<unsigned char>(high * 16 + low));
  }
  out.swap(result);
  return true;
}

std::string Quote(const Bytes& bytes) {
  std::string text = "\"";
  for (unsigned char b : bytes) {
    if (b == '\\' || b == '"') {
      text += '\\';
      text += static_cast<char>(b);
    } else if (b >= 0x20 && b < 0x7F) {
      text += static_cast<char>(b);
    } else {
      text += "\\x";
      text += kDigits[b >> 4];
      text += kDigits[b & 0x0F];
    }
  }
  return text + "\"";
}

bool Unquote(const std::string& quoted, Bytes& out) {
  if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"') return false;
  Bytes result;
  const std::size_t end = quoted.size() - 1;
  for (std::size_t i = 1; i < end; ++i) {
    char c = quoted[i];
    if (c == '"') return false;
    if (c != '\\') {
      result.push_back(static_cast<unsigned char>(c));
      continue;
    }
    if (i + 1 >= end) return false;
    char next = quoted[++i];
    if (next == '\\' || next == '"') {
      result.push_back(static_cast<unsigned char>(next));
    } else if (next == 'x' && i + 2 < end && HexDigit(quoted[i + 1]) >= 0 &&
               HexDigit(quoted[i + 2]) >= 0) {
      result.push_back(static_cast<unsigned char>(HexDigit(quoted[i + 1]) * 16 +
                                                  HexDigit(quoted[i + 2])));
      i += 2;
    } else {
      return false;
    }
  }
  out.swap(result);
  return true;
}

}  // namespace vmw
