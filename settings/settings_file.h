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

protected:
    FileFault(std::string message, std::string file, std::string operation, std::string reason);

private:
    std::string file_;
    std::string operation_;
    std::string reason_;
};

// A path that is no file the program may read or replace: a FIFO, a device,
// a directory or a socket, or a symbolic link that a shared directory does
// not let this user follow. Operation "open"; what() says what the path is:
// "Kestrova.INI" is a FIFO, not a regular file. The recovery never replaces
// such a path.
class UnusableFileFault : public FileFault {
public:
    UnusableFileFault(std::string file, std::string what);
};

// Loads the eight input fields from the file's first eight lines, each line
// ending at CR LF, a lone CR or a lone LF (the eighth may lack its end). A
// line that is valid UTF-8 is taken as it is; any other is read as Latin-1.
//
// When the file is missing, cannot be read or has fewer than eight lines, it
// is replaced, once, by eight lines "0" and read again, so every field shows
// "0". The bytes of a short or unreadable file are kept first as
// "Kestrova.INI.bak", with the file's own permissions. Raises FileFault when
// that recovery fails; the fields may then be partly filled. A path that is
// no regular file (UnusableFileFault) is reported at once and never replaced.
void ReadIni(CalcPanel& panel);

// Loads the eight input fields from the named file in the same way, but with
// no recovery: the file is only read. Raises FileFault.
void ReadIniFile(CalcPanel& panel, const std::string& path);

// Saves the eight input fields as eight CR LF lines, in UTF-8; a CR or LF
// inside a field is written as a blank. The new content replaces the file in
// one step, so the file holds either the old lines or the new ones, never a
// part. A file this user may not write, or that has no write permission at
// all, is not replaced ("Permission denied"). Where the directory does not
// allow a new file but the file itself is writable, the file is rewritten in
// place instead. Raises FileFault when the save fails.
void WriteIni(const CalcPanel& panel);

}  // namespace kestrova
