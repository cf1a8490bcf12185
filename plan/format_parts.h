// What the four writers share: the error columns of a channel, the wanted
// text as valid UTF-8, and a factory for each writer.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "plan/formats.h"

namespace kestrova::plan {

// The error of a channel: the achieved frequency minus the wanted one, each
// as written with 15 significant digits, as their exact decimal difference
// (so 900 against 900.2 is -0.2), and that in parts per million of the
// wanted frequency with three decimals. Nothing when not finite, and no ppm
// for a wanted frequency of 0.
struct ErrorColumns {
    std::optional<std::string> error;
    std::optional<std::string> ppm;
};
ErrorColumns Errors(const ChannelResult& channel);

// The wanted text as the user wrote it, blanks trimmed, as valid UTF-8.
std::string WantedText(const ChannelResult& channel);

// A CSV field (RFC 4180): quoted, its quotes doubled, when it holds a comma,
// a quote or a line break.
void AppendCsvField(std::string& out, std::string_view text);

// A JSON string, its quotes, backslashes and control characters escaped.
void AppendJsonString(std::string& out, std::string_view text);

// Text inside a C comment: a blank goes between "/" and "*" either way
// round, so it can neither end the comment nor open a nested one, and a line
// break becomes a blank.
void AppendCommentText(std::string& out, std::string_view text);

std::unique_ptr<ChannelWriter> MakeTextWriter();
std::unique_ptr<ChannelWriter> MakeCsvWriter();
std::unique_ptr<ChannelWriter> MakeJsonWriter();
std::unique_ptr<ChannelWriter> MakeCHeaderWriter();

}  // namespace kestrova::plan
