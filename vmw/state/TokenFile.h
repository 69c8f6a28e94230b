// The token file: TokenState as human-readable text, written durably.
//
//   label = "Demo Token"
//   pin = "1234"
//   pin-tries-left = 3
//   object 1
//     CKA_CLASS = number 1
//     CKA_LABEL = text "01A2"
//     CKA_VALUE = hex 3082...
//   end
#ifndef QUORIN_VMW_STATE_TOKEN_FILE_H
#define QUORIN_VMW_STATE_TOKEN_FILE_H

#include "vmw/state/TokenState.h"

#include <string>

namespace vmw {

enum class LoadResult { Ok, Missing, Damaged };

std::string FormatToken(const TokenState& token);
// False with a reason ("line 7: ...") when the text is not a token file.
bool ParseToken(const std::string& text, TokenState& token, std::string& error);

LoadResult LoadToken(const std::string& path, TokenState& token, std::string* error = nullptr);
bool SaveToken(const std::string& path, const TokenState& token);

}  // namespace vmw

#endif
