// Code pages of a string's \S\ characters.
#pragma once

namespace nusk_p21 {

/// The character that byte stands for in ISO 8859 part 1 to 9, the page given by its letter as a string's \P
/// directive writes it ('A' = part 1 ... 'I' = part 9); 0 where that part assigns none or the letter names no page.
char32_t codePageCharacter(char page, unsigned char byte);

}  // namespace nusk_p21
