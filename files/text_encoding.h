// How the bytes of a settings line become the UTF-8 text of a field.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kestrova::files {

// The length of the well-formed UTF-8 character that starts at bytes[at]
// (1 for ASCII); 0 where none does: a stray continuation byte, a sequence cut
// short, an overlong form, a surrogate or a code point beyond U+10FFFF.
std::size_t Utf8Length(std::string_view bytes, std::size_t at);

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates
// or code points beyond U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// A line that is valid UTF-8 as it is; any other line read as Latin-1, one
// byte one character, so that no byte is lost or replaced.
std::string TextFromFileLine(std::string_view bytes);

}  // namespace kestrova::files
