// Octet strings and their text forms in the state files.
#ifndef QUORIN_VMW_STATE_BYTES_H
#define QUORIN_VMW_STATE_BYTES_H

#include <string>
#include <vector>

namespace vmw {

using Bytes = std::vector<unsigned char>;

Bytes BytesOf(const std::string& text);
std::string TextOf(const Bytes& bytes);

// Uppercase hexadecimal, two digits per octet, no separators.
std::string ToHex(const Bytes& bytes);
// Accepts upper or lower case; false for odd length or a non-hex digit.
bool FromHex(const std::string& hex, Bytes& out);

// A double-quoted text with \\, \" and \xNN escapes for everything unprintable.
std::string Quote(const Bytes& bytes);
// Reads what Quote writes; false when the text is not one quoted string.
bool Unquote(const std::string& quoted, Bytes& out);

}  // namespace vmw

#endif
