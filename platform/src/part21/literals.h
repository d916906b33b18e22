// String literals of the exchange file: their bodies decoded to UTF-8, and UTF-8 text encoded back.
#pragma once

#include <string>
#include <string_view>

namespace nusk_p21 {

/// Decodes the body of a string literal (the text between the outer quotes, as it stands in the file) into
/// UTF-8, appending to `out`. Returns true when the body was well formed. On an invalid or truncated escape
/// the bytes of that escape are kept as they stand (so nothing is lost), decoding goes on, the result is
/// false and `problem` (when not null) receives a short description of the first problem, e.g.
/// "invalid escape \Q\" or "truncated \X2\ escape". UTF-8 standing directly in the body is kept as it is;
/// other 8-bit bytes are taken as ISO 8859-1 and reported as "raw 8-bit characters". The output is always
/// well-formed UTF-8.
bool decodeString(std::string_view body, std::string& out, std::string* problem = nullptr);

/// True when decoding would copy the body unchanged and without a problem: no backslash, no quote, and any
/// byte above 0x7F part of well-formed UTF-8. Such a body can be used as it stands.
bool isPlainString(std::string_view body);

/// Appends the file form of a UTF-8 text, quotes included: ' doubled, \ doubled, printable ASCII
/// (0x20..0x7E) as is, everything else encoded: code points 0x80..0xFF and control characters as \X\hh,
/// code points above 0xFF in \X2\hhhh...\X0\ runs (UCS-2, uppercase hex), above 0xFFFF in
/// \X4\hhhhhhhh...\X0\ runs. Consecutive characters of one kind share one run. Bytes that are not part of
/// well-formed UTF-8 are written as \X\hh of the byte, so any byte string survives: decoding the result
/// and encoding again gives the same file form.
void encodeString(std::string_view utf8, std::string& out);

}  // namespace nusk_p21
