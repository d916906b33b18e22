// Keywords and statements as the reader's messages and its sections see them.
#pragma once

#include <string>
#include <string_view>

namespace nusk_p21 {

/// True when `a` is the keyword `b` (upper case), in any letter case.
bool sameWord(std::string_view a, const char* b);

/// The start of a statement, quoted for a message.
std::string quote(std::string_view s);

}  // namespace nusk_p21
