// Loading with recovery and saving of the settings file.
#include "settings/settings_file.h"

#include <cerrno>
#include <optional>
#include <string>

#include "settings/file_io.h"
#include "settings/text_encoding.h"

namespace kestrova {
namespace {

constexpr std::string_view kDefaultContent = "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n";

// What one attempt to read the file saw, kept for the recovery's backup.
struct ReadAttempt {
    std::string bytes;       // every byte consumed
    bool wholeFile = false;  // the end of the file was reached
    unsigned mode = 0600;    // the file's permissions, for its backup
};

// Reads the next line without its end (CR LF, a lone CR or a lone LF);
// nothing at the end of the file.
std::optional<std::string> ReadLine(detail::InputFile& file, ReadAttempt& attempt) {
    std::string line;
    bool any = false;
    for (;;) {
        const std::optional<unsigned char> byte = file.Next();
        if (!byte) {
            attempt.wholeFile = true;
            return any ? std::optional(line) : std::nullopt;
        }
        attempt.bytes.push_back(static_cast<char>(*byte));
        any = true;
        if (*byte == '\n') return line;
        if (*byte == '\r') {
            if (file.Peek() == '\n') attempt.bytes.push_back(static_cast<char>(*file.Next()));
            return line;
        }
        line.push_back(static_cast<char>(*byte));
    }
}

// Fills the eight fields in file order, each as soon as its line is read.
void ReadLines(CalcPanel& panel, const std::string& name, ReadAttempt& attempt) {
    detail::InputFile file(name);
    attempt.mode = file.Mode();
    for (std::size_t i = 0; i < kInputFields.size(); ++i) {
        const std::optional<std::string> line = ReadLine(file, attempt);
        if (!line) throw FileFault(name, "read", "end of file before line " + std::to_string(i + 1));
        panel.SetText(kInputFields[i], TextFromFileLine(*line));
    }
    file.Close();
}

// Keeps the bytes of a file that the recovery is about to replace. A file
// that could not be read whole is moved aside instead; a missing or empty one
// has nothing to keep.
void KeepForRecovery(const ReadAttempt& attempt) {
    const std::string backup(kBackupFileName);
    if (attempt.wholeFile) {
        if (!attempt.bytes.empty()) detail::ReplaceFileContent(backup, attempt.bytes, attempt.mode);
        return;
    }
    detail::MoveRegularFile(std::string(kSettingsFileName), backup);
}

}  // namespace

FileFault::FileFault(std::string file, std::string operation, std::string reason)
    : std::runtime_error("\"" + file + "\": " + operation + " failed: " + reason),
      file_(std::move(file)),
      operation_(std::move(operation)),
      reason_(std::move(reason)) {}

FileFault::FileFault(std::string message, std::string file, std::string operation, std::string reason)
    : std::runtime_error(message),
      file_(std::move(file)),
      operation_(std::move(operation)),
      reason_(std::move(reason)) {}

UnusableFileFault::UnusableFileFault(std::string file, std::string what)
    : FileFault("\"" + file + "\" " + what, file, "open", what) {}

void ReadIni(CalcPanel& panel) {
    ReadAttempt attempt;
    try {
        ReadLines(panel, std::string(kSettingsFileName), attempt);
        return;
    } catch (const UnusableFileFault&) {
        throw;  // a FIFO, a device, a directory: not ours to replace
    } catch (const FileFault&) {
        // Recovered below, once; a failure from here on goes to the caller.
    }
    KeepForRecovery(attempt);
    detail::ReplaceFileContent(std::string(kSettingsFileName), kDefaultContent);
    ReadAttempt second;
    ReadLines(panel, std::string(kSettingsFileName), second);
}

void ReadIniFile(CalcPanel& panel, const std::string& path) {
    ReadAttempt attempt;
    ReadLines(panel, path, attempt);
}

void WriteIni(const CalcPanel& panel) {
    std::string content;
    for (Field field : kInputFields) {
        std::string line = panel.Text(field);
        // A line break inside a field would shift every later line.
        for (char& c : line)
            if (c == '\r' || c == '\n') c = ' ';
        content += line;
        content += "\r\n";
    }
    detail::ReplaceFileContent(std::string(kSettingsFileName), content);
}

}  // namespace kestrova
