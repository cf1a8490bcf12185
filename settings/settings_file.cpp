// Loading with recovery and saving of the settings file.
#include "settings/settings_file.h"

#include <array>
#include <optional>
#include <string>

#include "files/input_file.h"
#include "files/replacement_file.h"
#include "files/text_encoding.h"

namespace kestrova {
namespace {

constexpr std::string_view kDefaultContent = "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n";
constexpr std::array<const char*, 8> kOrdinals = {"first", "second", "third",   "fourth",
                                                  "fifth", "sixth",  "seventh", "eighth"};

// What one attempt to read the file saw, kept for the recovery's backup.
struct ReadAttempt {
    std::string bytes;                 // every byte consumed: at most eight lines
    bool wholeFile = false;            // the end of the file was reached
    files::FileAttributes attributes;  // the file's, for its backup
};

// Reads the next line without its end (CR LF, a lone CR or a lone LF);
// nothing at the end of the file. A line longer than any settings line
// stops the reading there.
std::optional<std::string> ReadLine(files::InputFile& file, std::size_t index, ReadAttempt& attempt) {
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
        if (line.size() == kLongestLine)
            throw UnusableFileFault(std::string("the ") + kOrdinals[index] + " line of \"" + file.Name() +
                                    "\" is longer than 64 KiB: not a settings file");
        line.push_back(static_cast<char>(*byte));
    }
}

// Reads the eight lines in file order, handing each to take as soon as it
// is read.
template <class Take>
void ReadLines(const std::string& name, ReadAttempt& attempt, Take&& take) {
    files::InputFile file(name);
    attempt.attributes = file.Attributes();
    for (std::size_t i = 0; i < kInputFields.size(); ++i) {
        const std::optional<std::string> line = ReadLine(file, i, attempt);
        if (!line) throw FileFault(name, "read", "end of file before line " + std::to_string(i + 1));
        take(i, *line);
    }
    file.Close();
}

void ReadFields(CalcPanel& panel, const std::string& name, ReadAttempt& attempt) {
    ReadLines(name, attempt, [&panel](std::size_t i, const std::string& line) {
        panel.SetText(kInputFields[i], files::TextFromFileLine(line));
    });
}

// Keeps the bytes of a file that the recovery is about to replace, as the
// file's owner would: a copy with its owner and permissions. A file that
// could not be read whole is moved aside instead; a missing or empty one has
// nothing to keep.
void KeepForRecovery(const ReadAttempt& attempt, const std::string& name, const std::string& backup) {
    if (attempt.wholeFile) {
        if (!attempt.bytes.empty()) files::ReplaceFileContent(backup, attempt.bytes, attempt.attributes);
        return;
    }
    files::MoveRegularFile(name, backup);
}

// A file's name in the directory; the bare name for the current one, so
// that messages name the file as the user knows it.
std::string InDirectory(const std::filesystem::path& directory, std::string_view name) {
    return directory.empty() ? std::string(name) : (directory / name).string();
}

// A save never goes over a file that a load refuses: it would put eight
// lines in the place of something that was never a settings file. The
// lines of the file as it is, those it has; none when it cannot be read.
std::array<std::optional<std::string>, 8> RefuseWhatIsNoSettingsFile(const std::string& name) {
    ReadAttempt attempt;
    std::array<std::optional<std::string>, 8> lines;
    try {
        ReadLines(name, attempt, [&lines](std::size_t i, const std::string& line) { lines[i] = line; });
    } catch (const UnusableFileFault&) {
        throw;
    } catch (const FileFault&) {
        // Missing, short or unreadable: the save replaces it.
    }
    return lines;
}

}  // namespace

void ReadIni(CalcPanel& panel, const std::filesystem::path& directory) {
    const std::string name = InDirectory(directory, kSettingsFileName);
    ReadAttempt attempt;
    try {
        ReadFields(panel, name, attempt);
        return;
    } catch (const UnusableFileFault&) {
        throw;  // a FIFO, a device, another user's file: not ours to replace
    } catch (const FileFault&) {
        // Recovered below, once; a failure from here on goes to the caller.
    }
    KeepForRecovery(attempt, name, InDirectory(directory, kBackupFileName));
    files::ReplaceFileContent(name, kDefaultContent);
    ReadAttempt second;
    ReadFields(panel, name, second);
}

void ReadIniFile(CalcPanel& panel, const std::string& path) {
    ReadAttempt attempt;
    ReadFields(panel, path, attempt);
}

std::optional<std::string> LineForText(std::string_view text) {
    std::string line(text);
    // A line break inside a field would shift every later line.
    for (char& c : line)
        if (c == '\r' || c == '\n') c = ' ';
    if (line.size() <= kLongestLine) return line;
    // Latin-1: each character below U+0100 one byte.
    std::string latin1;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto byte = static_cast<unsigned char>(line[i]);
        if (byte < 0x80) {
            latin1 += line[i];
        } else if ((byte == 0xC2 || byte == 0xC3) && i + 1 < line.size()) {
            latin1 +=
                static_cast<char>(((byte & 0x03) << 6) | (static_cast<unsigned char>(line[++i]) & 0x3F));
        } else {
            return std::nullopt;  // a character beyond Latin-1
        }
        if (latin1.size() > kLongestLine) return std::nullopt;
    }
    if (files::IsValidUtf8(latin1)) return std::nullopt;  // it would read back as other text
    return latin1;
}

void WriteIni(const CalcPanel& panel, const std::filesystem::path& directory) {
    const std::string name = InDirectory(directory, kSettingsFileName);
    const std::array<std::optional<std::string>, 8> old = RefuseWhatIsNoSettingsFile(name);
    std::string content;
    for (std::size_t i = 0; i < kInputFields.size(); ++i) {
        const std::string text = panel.Text(kInputFields[i]);
        std::optional<std::string> line;
        if (old[i] && files::TextFromFileLine(*old[i]) == text)
            line = old[i];  // unchanged: its own bytes
        else
            line = LineForText(text);
        if (!line)
            throw FileFault(name, "write",
                            "line " + std::to_string(i + 1) +
                                " would be longer than 64 KiB, more than a settings file holds");
        content += *line;
        content += "\r\n";
    }
    files::ReplaceFileContent(name, content);
}

}  // namespace kestrova
