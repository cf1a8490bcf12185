// The settings file "Kestrova.INI": the panel's eight inputs, one line each,
// in the current working directory (or in the directory a caller names).
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/calc_panel.h"
#include "files/file_fault.h"

namespace kestrova {

inline constexpr std::string_view kSettingsFileName = "Kestrova.INI";
inline constexpr std::string_view kBackupFileName = "Kestrova.INI.bak";

// The longest line a settings file holds; a longer one means the file is
// something else.
inline constexpr std::size_t kLongestLine = 64 * 1024;

// The bytes a field's text is saved as: UTF-8, or where that is longer than
// kLongestLine and the text is all Latin-1 characters, Latin-1 (which
// ReadIni reads back as the same text: its bytes are no UTF-8); none when
// neither fits a line. A CR or LF becomes a blank. Whatever a box holds
// that this gives bytes for can be saved and loaded back unchanged.
std::optional<std::string> LineForText(std::string_view text);

// Loads the eight input fields from the file's first eight lines, each line
// ending at CR LF, a lone CR or a lone LF (the eighth may lack its end). A
// line that is valid UTF-8 is taken as it is; any other is read as Latin-1.
// Nothing after the eighth line is read. A line longer than kLongestLine
// means the file is not a settings file (UnusableFileFault, "the first line
// of "Kestrova.INI" is longer than 64 KiB: not a settings file"): it is not
// read on, nor ever replaced or backed up.
//
// When the file is missing, cannot be read or has fewer than eight lines, it
// is replaced, once, by eight lines "0" and read again, so every field shows
// "0". The bytes of a short or unreadable file are kept first as
// "Kestrova.INI.bak", with the file's owner and read and write permissions.
// Raises FileFault when
// that recovery fails; the fields may then be partly filled. A path that is
// no regular file (UnusableFileFault) is reported at once and never replaced.
// The directory is the current one when empty, as the window has it.
void ReadIni(CalcPanel& panel, const std::filesystem::path& directory = {});

// Loads the eight input fields from the named file in the same way, but with
// no recovery: the file is only read. Raises FileFault.
void ReadIniFile(CalcPanel& panel, const std::string& path);

// Saves the eight input fields as eight CR LF lines, each as LineForText
// makes it; a field whose text is what its line of the file now reads as
// keeps that line's bytes, so a load and a save with no edit rewrite the
// file byte for byte, whatever its bytes. The new content replaces the file in
// one step, so the file holds either the old lines or the new ones, never a
// part. A file this user may not write, or that has no write permission at
// all, is not replaced ("Permission denied"). Where the directory does not
// allow a new file, or the new file cannot keep the old one's owner, the
// file is rewritten in place instead. A file that is not a settings file (see
// ReadIni), or a field whose line would be longer than kLongestLine, is
// refused before anything is written. Raises FileFault when the save fails.
void WriteIni(const CalcPanel& panel, const std::filesystem::path& directory = {});

}  // namespace kestrova
