// The settings file "Kestrova.INI": the panel's eight inputs, one line each,
// in the current working directory.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "core/calc_panel.h"

namespace kestrova {

inline constexpr std::string_view kSettingsFileName = "Kestrova.INI";
inline constexpr std::string_view kBackupFileName = "Kestrova.INI.bak";

// The failure of an operation on the settings file: the operation ("open",
// "read", "write", "flush", "close", "create", "rename", "back up") and the
// reason, in the operating system's words or "end of file before line K".
class FileFault : public std::runtime_error {
public:
    FileFault(std::string file, std::string operation, std::string reason);
    const std::string& File() const noexcept { return file_; }
    const std::string& Operation() const noexcept { return operation_; }
    const std::string& Reason() const noexcept { return reason_; }

private:
    std::string file_;
    std::string operation_;
    std::string reason_;
};

// Loads the eight input fields from the file's first eight lines, each line
// ending at CR LF, a lone CR or a lone LF (the eighth may lack its end). A
// line that is valid UTF-8 is taken as it is; any other is read as Latin-1.
//
// When the file is missing, cannot be read or has fewer than eight lines, it
// is replaced, once, by eight lines "0" and read again, so every field shows
// "0". The bytes of a short or unreadable file are kept first as
// "Kestrova.INI.bak". Raises FileFault when that recovery fails; the fields
// may then be partly filled.
void ReadIni(CalcPanel& panel);

// Loads the eight input fields from the named file in the same way, but with
// no recovery: the file is only read. Raises FileFault.
void ReadIniFile(CalcPanel& panel, const std::string& path);

// Saves the eight input fields as eight CR LF lines, in UTF-8; a CR or LF
// inside a field is written as a blank. The new content replaces the file in
// one step, so the file holds either the old lines or the new ones, never a
// part. Where the directory does not allow a new file but the file itself is
// writable, the file is rewritten in place instead. Raises FileFault when the
// save fails.
void WriteIni(const CalcPanel& panel);

}  // namespace kestrova
