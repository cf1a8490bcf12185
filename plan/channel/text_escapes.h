// Text made safe for where it goes: a terminal, a CSV field, a JSON string,
// a C comment; and words wrapped to a width.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kestrova::plan {

// Text for a terminal, whole: every control character (C0, DEL and C1)
// shown as a visible escape such as \x1b or \u009b, and so every byte that
// is not part of a UTF-8 character (\x9b, \xff), so that no text from a file
// or the command line can retitle, clear or otherwise drive the terminal, and
// a NUL cuts nothing short.
std::string Visible(std::string_view text);

// A CSV field (RFC 4180): quoted, its quotes doubled, when it holds a comma,
// a quote or a line break.
void AppendCsvField(std::string& out, std::string_view text);

// A JSON string, its quotes, backslashes and control characters escaped.
void AppendJsonString(std::string& out, std::string_view text);

// Text inside a C comment: a blank goes between "/" and "*" either way
// round, so it can neither end the comment nor open a nested one, a line
// break becomes a blank, and any other control character a visible escape.
void AppendCommentText(std::string& out, std::string_view text);

// Text in XML character data or an attribute value: &, <, >, " and '
// escaped, every control character and U+FFFE and U+FFFF shown as visible
// escapes (XML 1.0 has no place for them), and text that is not UTF-8 read as
// Latin-1.
void AppendXmlText(std::string& out, std::string_view text);

// The text (not UTF-8: read as Latin-1) cut to at most columns characters,
// its end replaced by "\u2026" where it was cut.
std::string Shortened(std::string_view text, std::size_t columns);

// Display columns of UTF-8 text: its characters.
std::size_t DisplayColumns(std::string_view text);

// The text right-aligned in width display columns.
void AppendPadded(std::string& out, std::string_view text, std::size_t width);

// The words of text (split at each blank) broken between words so that no
// line passes width columns where that can be: the first line goes on from
// column, every later one starts with indent blanks. Ends the last line.
// Without keepEmpty, the empty words between two blanks are dropped.
void AppendWrapped(std::string& out, std::string_view text, std::size_t column, std::size_t indent,
                   std::size_t width, bool keepEmpty = true);

}  // namespace kestrova::plan
