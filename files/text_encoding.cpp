// UTF-8 validation and the Latin-1 reading of other lines.
#include "files/text_encoding.h"

namespace kestrova::files {

std::size_t Utf8Length(std::string_view bytes, std::size_t at) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;   // bounds of the second byte, which rule out
    unsigned char high = 0xBF;  // overlong forms, surrogates and > U+10FFFF
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (bytes.size() - at < length) return 0;
    const auto second = static_cast<unsigned char>(bytes[at + 1]);
    if (second < low || second > high) return 0;
    for (std::size_t k = 2; k < length; ++k) {
        const auto next = static_cast<unsigned char>(bytes[at + k]);
        if (next < 0x80 || next > 0xBF) return 0;
    }
    return length;
}

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = Utf8Length(bytes, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

std::string TextFromFileLine(std::string_view bytes) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text.push_back(c);
        } else {
            text.push_back(static_cast<char>(0xC0 | (byte >> 6)));
            text.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return text;
}

}  // namespace kestrova::files
