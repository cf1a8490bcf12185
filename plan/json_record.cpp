// Reading a JSON channel object: strings with their escapes, and the raw
// text of numbers and literals.
#include "plan/json_record.h"

#include <string>

#include "plan/channel.h"

namespace kestrova::plan {
namespace {

constexpr std::string_view kRegisterNames[] = {"Rt", "St", "Pt", "Ct", "Gt"};

// A JSON string starting at text[i] (its opening quote); i ends past it.
std::string JsonString(std::string_view text, std::size_t& i, std::size_t line) {
    std::string value;
    for (++i; i < text.size() && text[i] != '"'; ++i) {
        if (text[i] != '\\') {
            value += text[i];
            continue;
        }
        if (++i == text.size()) break;
        switch (text[i]) {
            case 'n':
                value += '\n';
                break;
            case 't':
                value += '\t';
                break;
            case 'r':
                value += '\r';
                break;
            case 'b':
                value += '\b';
                break;
            case 'f':
                value += '\f';
                break;
            case 'u': {
                if (i + 4 >= text.size()) FailAtLine(line, "a \\u escape cut short");
                unsigned code = 0;
                for (const char digit : text.substr(i + 1, 4)) {
                    const int nibble = digit >= '0' && digit <= '9'   ? digit - '0'
                                       : digit >= 'a' && digit <= 'f' ? digit - 'a' + 10
                                       : digit >= 'A' && digit <= 'F' ? digit - 'A' + 10
                                                                      : -1;
                    if (nibble < 0) FailAtLine(line, "a \\u escape that is not four hexadecimal digits");
                    code = code << 4 | static_cast<unsigned>(nibble);
                }
                i += 4;
                if (code < 0x80) {
                    value += static_cast<char>(code);
                } else if (code < 0x800) {
                    value += static_cast<char>(0xC0 | (code >> 6));
                    value += static_cast<char>(0x80 | (code & 0x3F));
                } else {
                    value += static_cast<char>(0xE0 | (code >> 12));
                    value += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                    value += static_cast<char>(0x80 | (code & 0x3F));
                }
                break;
            }
            default:
                value += text[i];
        }
    }
    if (i >= text.size()) FailAtLine(line, "a string that does not end");
    ++i;
    return value;
}

}  // namespace

void ReadJsonRecord(std::string_view record, std::size_t line, PlanRow& row) {
    bool haveWanted = false;
    for (std::size_t k = 1; k < record.size();) {
        const char c = record[k];
        if (c != '"') {
            ++k;
            continue;
        }
        const std::string key = JsonString(record, k, line);
        while (k < record.size() && (record[k] == ' ' || record[k] == ':' || record[k] == '\n' ||
                                     record[k] == '\r' || record[k] == '\t'))
            ++k;
        if (k >= record.size()) FailAtLine(line, "\"" + key + "\" has no value");
        std::string value;
        bool isNull = false;
        if (record[k] == '"') {
            value = JsonString(record, k, line);
        } else {
            const std::size_t end = record.find_first_of(",}", k);
            value = std::string(Trimmed(record.substr(k, end - k)));
            isNull = value == "null";
            k = end;
        }
        if (key == "wanted") {
            row.wanted = value;
            haveWanted = true;
        } else if (key == "fault" && !isNull) {
            row.fault = value;
        } else if (key == "achieved") {
            row.achieved = value;
        } else {
            for (std::size_t r = 0; r < 5; ++r)
                if (key == kRegisterNames[r]) row.registers[r] = value;
        }
    }
    if (!haveWanted) FailAtLine(line, "a channel with no \"wanted\"");
}

}  // namespace kestrova::plan
