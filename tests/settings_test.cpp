// The settings file on real files, each test in a fresh directory.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <array>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "files/text_encoding.h"
#include "settings/settings_file.h"
#include "tests/support/scratch_directory.h"

namespace kestrova {
namespace {

namespace fs = std::filesystem;
using Fields = std::array<std::string, 8>;

constexpr const char* kDefaults = "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n";

class SettingsFile : public testing::Test {
protected:
    static void Put(const fs::path& name, const std::string& bytes) {
        std::ofstream(name, std::ios::binary | std::ios::trunc) << bytes;
    }
    static std::optional<std::string> Get(const fs::path& name) {
        std::ifstream in(name, std::ios::binary);
        if (!in) return std::nullopt;
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static Fields Inputs(const CalcPanel& panel) {
        Fields fields;
        for (std::size_t i = 0; i < fields.size(); ++i) fields[i] = panel.Text(kInputFields[i]);
        return fields;
    }
    static MemoryPanel PanelWith(const Fields& fields) {
        MemoryPanel panel;
        for (std::size_t i = 0; i < fields.size(); ++i) panel.SetText(kInputFields[i], fields[i]);
        return panel;
    }
    static std::optional<FileFault> FaultOf(auto&& call) {
        try {
            call();
        } catch (const FileFault& fault) {
            return fault;
        }
        return std::nullopt;
    }
    // Runs a call in a child process, as another user when uid is given;
    // returns the child's exit status (0 when the call returned).
    static int InChild(auto&& call, std::optional<uid_t> uid = std::nullopt) {
        const pid_t child = ::fork();
        if (child == 0) {
            if (uid && (::setgid(*uid) != 0 || ::setuid(*uid) != 0)) ::_exit(90);
            try {
                call();
            } catch (const FileFault&) {
                ::_exit(1);
            } catch (...) {
                ::_exit(2);
            }
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
    }

    // Temporary files of saves left in the directory.
    static int Leftovers(const fs::path& directory = ".") {
        int count = 0;
        for (const fs::directory_entry& entry : fs::directory_iterator(directory))
            count += entry.path().filename().string().find(".tmp") != std::string::npos ? 1 : 0;
        return count;
    }

    testing_support::ScratchDirectory scratch_;
    const fs::path& directory_ = scratch_.Path();
};

const Fields kExample = {"900", "1000", "0.5", "700", "10", "950", "2", " 900"};

struct LoadCase {
    const char* name;
    std::string file;
    Fields fields;
};

void PrintTo(const LoadCase& c, std::ostream* os) {
    *os << c.name;
}

class SettingsLoad : public SettingsFile, public testing::WithParamInterface<LoadCase> {};

TEST_P(SettingsLoad, FillsTheFieldsAndLeavesTheFile) {
    Put("Kestrova.INI", GetParam().file);
    MemoryPanel panel;
    ReadIni(panel);
    EXPECT_EQ(Inputs(panel), GetParam().fields);
    EXPECT_EQ(Get("Kestrova.INI"), GetParam().file) << "no recovery";
    EXPECT_FALSE(fs::exists("Kestrova.INI.bak"));
    // The outputs are not part of the file.
    EXPECT_EQ(panel.Text(Field::Results), "");
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SettingsLoad,
    testing::Values(LoadCase{"CrLf", "900\r\n1000\r\n0.5\r\n700\r\n10\r\n950\r\n2\r\n 900\r\n", kExample},
                    LoadCase{"EightEmptyLines", "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n", {}},
                    LoadCase{"NinthLineIgnored",
                             "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n",
                             {"1", "2", "3", "4", "5", "6", "7", "8"}},
                    LoadCase{"LastLineUnterminated",
                             "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8",
                             {"1", "2", "3", "4", "5", "6", "7", "8"}},
                    LoadCase{"LoneCr", "1\r2\r3\r4\r5\r6\r7\r8\r", {"1", "2", "3", "4", "5", "6", "7", "8"}},
                    LoadCase{"LoneLf", "900\n1000\n0.5\n700\n10\n950\n2\n 900\n", kExample},
                    LoadCase{"MixedEnds", "1\r\n2\r3\n4\r\r\n6\n\n8", {"1", "2", "3", "4", "", "6", "", "8"}},
                    LoadCase{"BlanksKept",
                             " 1\r\n2 \r\n\t3\r\n4\r\n5\r\n6\r\n7\r\n  \r\n",
                             {" 1", "2 ", "\t3", "4", "5", "6", "7", "  "}},
                    LoadCase{"Utf8TakenAsItIs",
                             "\xC2\xB5s\r\n\xE2\x84\xA6\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n",
                             {"\xC2\xB5s", "\xE2\x84\xA6", "3", "4", "5", "6", "7", "8"}},
                    LoadCase{"OtherBytesReadAsLatin1",
                             "\xB5s\r\n\xFF\xC3\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n",
                             {"\xC2\xB5s", "\xC3\xBF\xC3\x83", "3", "4", "5", "6", "7", "8"}},
                    LoadCase{"NulIsAByteLikeAnyOther",
                             std::string("a\0b\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n", 26),
                             {std::string("a\0b", 3), "2", "3", "4", "5", "6", "7", "8"}}),
    [](const testing::TestParamInfo<LoadCase>& p) { return std::string(p.param.name); });

struct RecoveryCase {
    const char* name;
    std::optional<std::string> file;  // nothing: no file at all
    bool keepsBackup;
};

void PrintTo(const RecoveryCase& c, std::ostream* os) {
    *os << c.name;
}

class SettingsRecovery : public SettingsFile, public testing::WithParamInterface<RecoveryCase> {};

TEST_P(SettingsRecovery, WritesDefaultsAndKeepsTheOldBytes) {
    const RecoveryCase& c = GetParam();
    Put("Kestrova.INI.bak", "older backup");
    if (c.file) Put("Kestrova.INI", *c.file);
    MemoryPanel panel = PanelWith(kExample);
    ReadIni(panel);
    EXPECT_EQ(Inputs(panel), Fields({"0", "0", "0", "0", "0", "0", "0", "0"}));
    EXPECT_EQ(Get("Kestrova.INI"), kDefaults);
    EXPECT_EQ(Get("Kestrova.INI.bak"), c.keepsBackup ? *c.file : "older backup");
    EXPECT_EQ(Leftovers(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Short, SettingsRecovery,
    testing::Values(RecoveryCase{"Missing", std::nullopt, false}, RecoveryCase{"Empty", "", false},
                    RecoveryCase{"SevenLines", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n", true},
                    RecoveryCase{"OneLongLine", "900 1000 0.5 700 10 950 2 900", true},
                    RecoveryCase{"SevenLinesTheLastUnterminated", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7", true},
                    RecoveryCase{"SevenLfLines", "1\n2\n3\n4\n5\n6\n7\n", true}),
    [](const testing::TestParamInfo<RecoveryCase>& p) { return std::string(p.param.name); });

TEST_F(SettingsFile, UnreadableFileIsMovedAsideBeforeTheRecovery) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to switch users";
    Put("Kestrova.INI", "secret\r\n");
    ::chmod("Kestrova.INI", 0200);
    ASSERT_EQ(::chown(".", 65534, 65534), 0);
    EXPECT_EQ(InChild(
                  [] {
                      MemoryPanel panel;
                      ReadIni(panel);
                      if (panel.Text(Field::Fout) != "0") std::exit(3);
                  },
                  65534),
              0);
    EXPECT_EQ(Get("Kestrova.INI.bak"), "secret\r\n");
    EXPECT_EQ(Get("Kestrova.INI"), kDefaults);
}

TEST_F(SettingsFile, RecoveryInARemovedDirectoryGoesToTheCaller) {
    fs::create_directory("gone");
    fs::current_path("gone");
    fs::remove(directory_ / "gone");
    MemoryPanel panel;
    const std::optional<FileFault> fault = FaultOf([&] { ReadIni(panel); });
    ASSERT_TRUE(fault);
    EXPECT_EQ(fault->Operation(), "create");
    EXPECT_EQ(fault->Reason(), "No such file or directory");
}

TEST_F(SettingsFile, RecoveryInADirectoryWithoutWritePermission) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to switch users";
    ::chmod(".", 0555);
    EXPECT_EQ(InChild(
                  [] {
                      MemoryPanel panel;
                      ReadIni(panel);
                  },
                  65534),
              1)
        << "a FileFault";
    EXPECT_FALSE(fs::exists("Kestrova.INI"));
}

TEST_F(SettingsFile, SaveWritesEightCrLfLines) {
    WriteIni(PanelWith(kExample));
    EXPECT_EQ(Get("Kestrova.INI"), "900\r\n1000\r\n0.5\r\n700\r\n10\r\n950\r\n2\r\n 900\r\n");
    EXPECT_EQ(Leftovers(), 0);
}

TEST_F(SettingsFile, SaveTurnsLineBreaksInsideFieldsIntoBlanks) {
    WriteIni(PanelWith({"a\r\nb", "c\rd", "e\nf", "", "", "", "", "\n"}));
    EXPECT_EQ(Get("Kestrova.INI"), "a  b\r\nc d\r\ne f\r\n\r\n\r\n\r\n\r\n \r\n");
    MemoryPanel panel;
    ReadIni(panel);
    EXPECT_EQ(Inputs(panel), Fields({"a  b", "c d", "e f", "", "", "", "", " "}));
}

TEST_F(SettingsFile, LoadThenSaveRewritesByteForByte) {
    for (const std::string file :
         {"900\r\n1000\r\n0.5\r\n700\r\n10\r\n950\r\n2\r\n 900\r\n", "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n",
          "\xC2\xB5\r\n\xE2\x84\xA6\r\n\xF0\x9F\x93\xA1\r\n-\r\n+\r\n.\r\n \r\n\t\r\n"}) {
        Put("Kestrova.INI", file);
        MemoryPanel panel;
        ReadIni(panel);
        WriteIni(panel);
        EXPECT_EQ(Get("Kestrova.INI"), file);
    }
}

// A load and a save with no edit rewrite the file byte for byte, whatever
// its bytes; an edited field is saved as UTF-8, or as Latin-1 where only that
// fits a line; whatever loads can be saved, and what is saved loads back.
TEST_F(SettingsFile, WhatLoadsSavesAndWhatSavesLoadsBack) {
    const std::string rest = "2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n";
    Put("Kestrova.INI", "900 \xB5s\r\n" + rest);
    MemoryPanel panel;
    ReadIni(panel);
    WriteIni(panel);
    EXPECT_EQ(Get("Kestrova.INI"), "900 \xB5s\r\n" + rest) << "no edit: the same bytes";
    panel.SetText(Field::Fh, "caf\xC3\xA9");
    WriteIni(panel);
    EXPECT_EQ(Get("Kestrova.INI"), "900 \xB5s\r\ncaf\xC3\xA9\r\n" + rest.substr(3)) << "an edit: UTF-8";

    // 40,000 bytes of Latin-1 are 80,000 of UTF-8: loaded, saved unchanged.
    const std::string long1(40000, '\xE9');
    Put("Kestrova.INI", long1 + "\r\n" + rest);
    ReadIni(panel);
    WriteIni(panel);
    EXPECT_EQ(Get("Kestrova.INI"), long1 + "\r\n" + rest);
    // Edited, or 33,000 x "\u00e9" typed in (66,000 bytes of UTF-8): Latin-1.
    for (const std::size_t count : {std::size_t{40001}, std::size_t{33000}}) {
        std::string typed;
        for (std::size_t i = 0; i < count; ++i) typed += "\xC3\xA9";
        panel.SetText(Field::Fl, typed);
        WriteIni(panel);
        EXPECT_EQ(Get("Kestrova.INI"), std::string(count, '\xE9') + "\r\n" + rest) << count;
        MemoryPanel again;
        ReadIni(again);
        EXPECT_EQ(again.Text(Field::Fl), typed) << count;
    }
    // Beyond Latin-1 and beyond a line: refused, and the file kept.
    std::string euros;
    for (int i = 0; i < 30000; ++i) euros += "\xE2\x82\xAC";
    panel.SetText(Field::Fl, euros);
    EXPECT_THROW(WriteIni(panel), FileFault);
    EXPECT_FALSE(LineForText(euros));
    EXPECT_EQ(Get("Kestrova.INI"), std::string(33000, '\xE9') + "\r\n" + rest);
}

TEST_F(SettingsFile, SaveThatFailsPartWayLeavesTheOldFileWhole) {
    const std::string old = "900\r\n1000\r\n0.5\r\n700\r\n10\r\n950\r\n2\r\n 900\r\n";
    Put("Kestrova.INI", old);
    // Room for 16 bytes only: the write of the new content stops part-way.
    EXPECT_EQ(InChild([] {
                  std::signal(SIGXFSZ, SIG_IGN);
                  const rlimit limit{16, 16};
                  ::setrlimit(RLIMIT_FSIZE, &limit);
                  try {
                      WriteIni(PanelWith({"1234567890", "1234567890", "3", "4", "5", "6", "7", "8"}));
                  } catch (const FileFault& fault) {
                      ::_exit(fault.Operation() == "write" && fault.Reason() == "File too large" ? 1 : 4);
                  }
              }),
              1);
    EXPECT_EQ(Get("Kestrova.INI"), old);
    EXPECT_EQ(Leftovers(), 0);
}

TEST_F(SettingsFile, SaveKeepsPermissionsAndSymbolicLinks) {
    fs::create_directory("real");
    Put("real/target.ini", "old");
    ::chmod("real/target.ini", 0640);
    fs::create_symlink("real/target.ini", "Kestrova.INI");
    WriteIni(PanelWith(kExample));
    EXPECT_TRUE(fs::is_symlink("Kestrova.INI"));
    EXPECT_EQ(Get("real/target.ini"), "900\r\n1000\r\n0.5\r\n700\r\n10\r\n950\r\n2\r\n 900\r\n");
    struct stat info {};
    ::stat("real/target.ini", &info);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(SettingsFile, SaveRewritesInPlaceWhereTheDirectoryIsClosed) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to switch users";
    Put("Kestrova.INI", "a much longer old content than the new one\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n");
    ASSERT_EQ(::chown("Kestrova.INI", 65534, 65534), 0);
    ::chmod(".", 0755);  // owned by root: no new file for the other user
    EXPECT_EQ(InChild([] { WriteIni(PanelWith(kExample)); }, 65534), 0);
    EXPECT_EQ(Get("Kestrova.INI"), "900\r\n1000\r\n0.5\r\n700\r\n10\r\n950\r\n2\r\n 900\r\n");

    // Neither the directory nor the file: the save is refused, the file kept.
    ASSERT_EQ(::chown("Kestrova.INI", 0, 0), 0);
    const int status = InChild(
        [] {
            try {
                WriteIni(PanelWith({}));
            } catch (const FileFault& fault) {
                ::_exit(fault.Operation() == "open" && fault.Reason() == "Permission denied" ? 1 : 4);
            }
        },
        65534);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(Get("Kestrova.INI"), "900\r\n1000\r\n0.5\r\n700\r\n10\r\n950\r\n2\r\n 900\r\n");
}

// Hostile paths in place of the file: no load hangs or reads without end, no
// recovery or save replaces them, and the fault says what the path is.
struct UnusableCase {
    const char* name;
    void (*make)();
    const char* what;
};

void PrintTo(const UnusableCase& c, std::ostream* os) {
    *os << c.name;
}

class SettingsUnusable : public SettingsFile, public testing::WithParamInterface<UnusableCase> {};

TEST_P(SettingsUnusable, IsReportedAndNeverReplaced) {
    GetParam().make();
    struct stat before {};
    ASSERT_EQ(::lstat("Kestrova.INI", &before), 0);
    MemoryPanel panel;
    using Call = std::function<void()>;
    for (const Call& call : {Call([&] { ReadIni(panel); }), Call([&] { WriteIni(panel); }),
                             Call([&] { ReadIniFile(panel, "Kestrova.INI"); })}) {
        std::optional<std::string> what;
        try {
            call();
        } catch (const UnusableFileFault& fault) {
            what = fault.what();
        }
        EXPECT_EQ(what, GetParam().what);
    }
    struct stat after {};
    ASSERT_EQ(::lstat("Kestrova.INI", &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_FALSE(fs::exists("Kestrova.INI.bak"));
    EXPECT_EQ(Leftovers(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SettingsUnusable,
    testing::Values(UnusableCase{"Fifo", [] { ::mkfifo("Kestrova.INI", 0644); },
                                 "\"Kestrova.INI\" is a FIFO, not a regular file"},
                    UnusableCase{"Directory", [] { fs::create_directory("Kestrova.INI"); },
                                 "\"Kestrova.INI\" is a directory, not a regular file"},
                    UnusableCase{"LinkToDevZero", [] { fs::create_symlink("/dev/zero", "Kestrova.INI"); },
                                 "\"Kestrova.INI\" is a link to a character device, not a regular file"},
                    UnusableCase{"LinkToAFifo",
                                 [] {
                                     ::mkfifo("pipe", 0644);
                                     fs::create_symlink("pipe", "Kestrova.INI");
                                 },
                                 "\"Kestrova.INI\" is a link to a FIFO, not a regular file"}),
    [](const testing::TestParamInfo<UnusableCase>& p) { return std::string(p.param.name); });

// In a sticky directory anyone may write, a link planted by another user
// is not followed: the private file it points at is neither shown nor
// overwritten nor copied. The user's own link still works.
TEST_F(SettingsFile, SharedDirectoryLinkOfAnotherUserIsNotFollowed) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a link to another user";
    fs::create_directory("shared");
    ::chmod("shared", 01777);
    Put("private.ini", "p1\r\np2\r\np3\r\n");
    ::chmod("private.ini", 0600);
    fs::create_symlink(directory_ / "private.ini", "shared/Kestrova.INI");
    ASSERT_EQ(::lchown("shared/Kestrova.INI", 65534, 65534), 0);
    fs::current_path("shared");
    MemoryPanel panel;
    const std::string what = "\"Kestrova.INI\" is a link owned by another user in a shared directory";
    using Call = std::function<void()>;
    for (const Call& call : {Call([&] { ReadIni(panel); }), Call([] { WriteIni(PanelWith(kExample)); })}) {
        const std::optional<FileFault> fault = FaultOf(call);
        ASSERT_TRUE(fault);
        EXPECT_STREQ(fault->what(), what.c_str());
    }
    EXPECT_EQ(panel.Text(Field::Fl), "");
    EXPECT_FALSE(fs::exists("Kestrova.INI.bak"));
    EXPECT_EQ(Get(directory_ / "private.ini"), "p1\r\np2\r\np3\r\n");

    ASSERT_EQ(::lchown("Kestrova.INI", ::geteuid(), ::getegid()), 0);
    WriteIni(PanelWith(kExample));
    EXPECT_EQ(Get(directory_ / "private.ini"), "900\r\n1000\r\n0.5\r\n700\r\n10\r\n950\r\n2\r\n 900\r\n");
}

// A read-only file is not replaced, for root (no write permission at all)
// and for its owner alike.
TEST_F(SettingsFile, ReadOnlyFileIsNotReplaced) {
    const std::string old = "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n";
    Put("Kestrova.INI", old);
    ::chmod("Kestrova.INI", 0444);
    const auto refused = [] {
        try {
            WriteIni(PanelWith(kExample));
        } catch (const FileFault& fault) {
            ::_exit(fault.Operation() == "open" && fault.Reason() == "Permission denied" ? 1 : 4);
        }
    };
    EXPECT_EQ(InChild(refused), 1);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown("Kestrova.INI", 65534, 65534), 0);
        ASSERT_EQ(::chown(".", 65534, 65534), 0);
        EXPECT_EQ(InChild(refused, 65534), 1);
    }
    EXPECT_EQ(Get("Kestrova.INI"), old);
    EXPECT_EQ(Leftovers(), 0);
}

TEST_F(SettingsFile, BackupKeepsThePrivacyOfTheFile) {
    Put("Kestrova.INI.bak", "older\r\n");
    ::chmod("Kestrova.INI.bak", 0644);
    Put("Kestrova.INI", "secret\r\n");
    ::chmod("Kestrova.INI", 0600);
    MemoryPanel panel;
    ReadIni(panel);
    struct stat info {};
    ASSERT_EQ(::stat("Kestrova.INI.bak", &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(Get("Kestrova.INI.bak"), "secret\r\n");
}

// Two programs saving in one directory, and a temporary name planted by
// someone else: every save succeeds on its own.
TEST_F(SettingsFile, RacingSavesEachSucceed) {
    fs::create_directory("Kestrova.INI.tmp");
    const auto saver = [](const char* text) {
        return [text] {
            const MemoryPanel panel = PanelWith({text, text, text, text, text, text, text, text});
            for (int i = 0; i < 300; ++i) WriteIni(panel);
        };
    };
    const pid_t first = ::fork();
    if (first == 0) ::_exit(InChild(saver("a")));
    EXPECT_EQ(InChild(saver("bb")), 0);
    int status = 0;
    ::waitpid(first, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::optional<std::string> file = Get("Kestrova.INI");
    EXPECT_TRUE(file == "a\r\na\r\na\r\na\r\na\r\na\r\na\r\na\r\n" ||
                file == "bb\r\nbb\r\nbb\r\nbb\r\nbb\r\nbb\r\nbb\r\nbb\r\n");
    EXPECT_EQ(Leftovers(), 1) << "only the planted directory";
}

TEST_F(SettingsFile, RandomFilesLoadSaveAndLoadTheSame) {
    std::mt19937 random(7);
    // Bytes weighted towards line ends, blanks and bytes beyond ASCII.
    const std::string alphabet =
        std::string("\r\n\r\n\r\n  09.-e\x80\xBF\xC3\xA9\xE2\x82\xF0\xFF", 22) + '\0';
    for (int round = 0; round < 300; ++round) {
        std::string file;
        const int length = static_cast<int>(random() % 80);
        for (int i = 0; i < length; ++i)
            file.push_back(random() % 3 == 0 ? static_cast<char>(random() % 256)
                                             : alphabet[random() % alphabet.size()]);
        Put("Kestrova.INI", file);
        MemoryPanel first;
        ReadIni(first);
        WriteIni(first);
        const std::string saved = *Get("Kestrova.INI");
        MemoryPanel second;
        ReadIni(second);
        ASSERT_EQ(Inputs(second), Inputs(first)) << testing::PrintToString(file);
        // Exactly eight CR LF lines, with no other CR or LF.
        std::size_t crlf = 0;
        for (std::size_t at = 0; (at = saved.find("\r\n", at)) != std::string::npos; at += 2) ++crlf;
        EXPECT_EQ(crlf, 8u);
        EXPECT_EQ(std::count(saved.begin(), saved.end(), '\r') + std::count(saved.begin(), saved.end(), '\n'),
                  16);
        EXPECT_TRUE(saved.ends_with("\r\n"));
        for (const std::string& field : Inputs(first)) EXPECT_TRUE(files::IsValidUtf8(field));
    }
}

TEST(TextEncoding, ValidUtf8) {
    for (const char* valid : {"", "abc", "\xC2\x80", "\xDF\xBF", "\xE0\xA0\x80", "\xED\x9F\xBF",
                              "\xEF\xBF\xBF", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF"})
        EXPECT_TRUE(files::IsValidUtf8(valid)) << testing::PrintToString(valid);
    for (const char* invalid :
         {"\x80", "\xC0\x80", "\xC1\xBF", "\xC2", "\xE0\x9F\xBF", "\xED\xA0\x80", "\xF0\x8F\xBF\xBF",
          "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xFF", "\xE2\x82"})
        EXPECT_FALSE(files::IsValidUtf8(invalid)) << testing::PrintToString(invalid);
}

}  // namespace
}  // namespace kestrova

namespace kestrova {
namespace {

namespace fs = std::filesystem;

// A caller may name the directory: the file, its recovery and its save stay
// there, and the current directory is not touched.
TEST(SettingsDirectory, LoadRecoverAndSaveInTheDirectoryNamed) {
    const testing_support::ScratchDirectory here;
    const fs::path elsewhere = here.Path() / "elsewhere";
    fs::create_directory(elsewhere);
    std::ofstream(elsewhere / "Kestrova.INI", std::ios::binary) << "short\r\n";
    MemoryPanel panel;
    ReadIni(panel, elsewhere);
    EXPECT_EQ(panel.Text(Field::Fl), "0") << "recovered";
    EXPECT_TRUE(fs::exists(elsewhere / "Kestrova.INI.bak"));
    panel.SetText(Field::Fout, "900.2");
    WriteIni(panel, elsewhere);
    MemoryPanel again;
    ReadIni(again, elsewhere);
    EXPECT_EQ(again.Text(Field::Fout), "900.2");
    EXPECT_FALSE(fs::exists("Kestrova.INI")) << "nothing in the current directory";
}

}  // namespace
}  // namespace kestrova
