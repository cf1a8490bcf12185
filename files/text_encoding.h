// How the bytes of a settings line become the UTF-8 text of a field.
#pragma once

#include <string>
#include <string_view>

namespace kestrova::files {

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates
// or code points beyond U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// A line that is valid UTF-8 as it is; any other line read as Latin-1, one
// byte one character, so that no byte is lost or replaced.
std::string TextFromFileLine(std::string_view bytes);

}  // namespace kestrova::files
