// The settings file against other users and oversized files: no file the
// program writes can carry a special bit, a file keeps its owner, another
// user's file in a shared directory is never used, and a huge file is never
// read whole.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "settings/settings_file.h"
#include "tests/support/scratch_directory.h"

namespace kestrova {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;
const std::string kEight = "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n";

void Put(const char* name, const std::string& bytes, mode_t mode = 0644) {
    fs::remove(name);
    std::ofstream(name, std::ios::binary | std::ios::trunc) << bytes;
    ::chmod(name, mode);
}
std::string Get(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
struct stat Stat(const char* name) {
    struct stat info {};
    EXPECT_EQ(::stat(name, &info), 0) << name;
    return info;
}
std::string FaultOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const FileFault& fault) {
        return fault.what();
    }
    return "";
}

class SettingsOwners : public testing::Test {
protected:
    testing_support::ScratchDirectory scratch_;
};

// A set-user-ID program planted as the settings file (or whose bytes go to
// the backup) never comes out as a file of ours with the bit.
TEST_F(SettingsOwners, NoFileWrittenCarriesASpecialOrExecuteBit) {
    struct Case {
        const char* name;
        std::string bytes;
        const char* written;  // the file the call writes
    };
    for (const Case& c : {Case{"save", kEight, "Kestrova.INI"},
                          Case{"recovery",
                               "\x7f"
                               "ELF",
                               "Kestrova.INI"},
                          Case{"backup",
                               "\x7f"
                               "ELF",
                               "Kestrova.INI.bak"}}) {
        Put("Kestrova.INI", c.bytes, 06775);
        MemoryPanel panel;
        if (std::string(c.name) == "save")
            WriteIni(panel);
        else
            ReadIni(panel);
        EXPECT_EQ(Stat(c.written).st_mode & 07777, 0664u) << c.name;
        fs::remove("Kestrova.INI.bak");
    }
}

TEST_F(SettingsOwners, AnotherUsersFileInASharedDirectoryIsNeverUsed) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a file to another user";
    fs::create_directory("shared");
    ::chmod("shared", 01777);
    fs::current_path("shared");
    for (const std::string& bytes : {std::string("\x7f"
                                                 "ELF"),
                                     kEight}) {
        Put("Kestrova.INI", bytes);
        ASSERT_EQ(::chown("Kestrova.INI", kNobody, kNobody), 0);
        ::chmod("Kestrova.INI", 04755);
        MemoryPanel panel;
        const std::string refused = "\"Kestrova.INI\" belongs to another user (nobody) in a shared directory";
        EXPECT_EQ(FaultOf([&] { ReadIni(panel); }), refused);
        EXPECT_EQ(FaultOf([&] { WriteIni(panel); }), refused);
        EXPECT_EQ(panel.Text(Field::Fl), "");
        EXPECT_EQ(Get("Kestrova.INI"), bytes);
        EXPECT_EQ(Stat("Kestrova.INI").st_uid, kNobody);
        EXPECT_EQ(Stat("Kestrova.INI").st_mode & 07777, 04755u);
        EXPECT_FALSE(fs::exists("Kestrova.INI.bak"));
    }
    // A backup name planted by another user is not replaced either.
    Put("Kestrova.INI", "short\r\n");
    Put("Kestrova.INI.bak", "theirs");
    ASSERT_EQ(::chown("Kestrova.INI.bak", kNobody, kNobody), 0);
    MemoryPanel panel;
    EXPECT_NE(FaultOf([&] { ReadIni(panel); }).find("belongs to another user (nobody)"), std::string::npos);
    EXPECT_EQ(Get("Kestrova.INI.bak"), "theirs");
    EXPECT_EQ(Get("Kestrova.INI"), "short\r\n");
}

// Root saving in a user's directory leaves the user's files the user's.
TEST_F(SettingsOwners, ReplacedFileAndItsBackupKeepTheOwner) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a file to another user";
    Put("Kestrova.INI", kEight, 0640);
    ASSERT_EQ(::chown("Kestrova.INI", kNobody, kNobody), 0);
    MemoryPanel panel;
    ReadIni(panel);
    WriteIni(panel);
    Put("Kestrova.INI", "short\r\n", 0640);
    ASSERT_EQ(::chown("Kestrova.INI", kNobody, kNobody), 0);
    ReadIni(panel);
    for (const char* name : {"Kestrova.INI", "Kestrova.INI.bak"}) {
        EXPECT_EQ(Stat(name).st_uid, kNobody) << name;
        EXPECT_EQ(Stat(name).st_gid, kNobody) << name;
        EXPECT_EQ(Stat(name).st_mode & 07777, 0640u) << name;
    }
    EXPECT_EQ(Get("Kestrova.INI.bak"), "short\r\n");

    // A user who may write root's file but cannot give a new one to root
    // rewrites it in place: it stays root's.
    Put("Kestrova.INI", kEight, 0666);
    ::chmod(".", 0777);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(90);
        WriteIni(MemoryPanel());
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(Stat("Kestrova.INI").st_uid, 0u);
    EXPECT_EQ(Get("Kestrova.INI"), "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
}

// Only eight lines are ever read: a file with megabytes after them loads; a
// line longer than any settings line makes it no settings file, whatever its
// size, and it is neither replaced nor backed up.
TEST_F(SettingsOwners, OnlyEightShortLinesAreEverRead) {
    Put("Kestrova.INI", kEight + std::string(8 << 20, 'x'));
    MemoryPanel panel;
    ReadIni(panel);
    EXPECT_EQ(panel.Text(Field::Fout), "8");
    EXPECT_FALSE(fs::exists("Kestrova.INI.bak"));

    struct Case {
        std::string head;
        off_t size;  // sparse up to this size, NUL bytes
        const char* message;
    };
    for (const Case& c :
         {Case{"", off_t{2} << 30,
               "the first line of \"Kestrova.INI\" is longer than 64 KiB: not a settings file"},
          Case{"1\r\n2\r\n3\r\n4\r\n", 4 + 65537 + 8,
               "the fifth line of \"Kestrova.INI\" is longer than 64 KiB: not a settings file"}}) {
        Put("Kestrova.INI", c.head);
        ASSERT_EQ(::truncate("Kestrova.INI", c.size), 0);
        using Call = std::function<void()>;
        for (const Call& call : {Call([] {
                                     MemoryPanel p;
                                     ReadIni(p);
                                 }),
                                 Call([] { WriteIni(MemoryPanel()); }), Call([] {
                                     MemoryPanel p;
                                     ReadIniFile(p, "Kestrova.INI");
                                 })})
            EXPECT_EQ(FaultOf(call), c.message);
        EXPECT_EQ(Stat("Kestrova.INI").st_size, c.size);
        EXPECT_FALSE(fs::exists("Kestrova.INI.bak"));
    }
    // A field too long for a line is refused before anything is written.
    MemoryPanel longField;
    longField.SetText(Field::Fosc, std::string(65537, '9'));
    Put("Kestrova.INI", kEight);
    EXPECT_EQ(FaultOf([&] { WriteIni(longField); }),
              "\"Kestrova.INI\": write failed: line 6 would be longer than 64 KiB, more than a settings file "
              "holds");
    EXPECT_EQ(Get("Kestrova.INI"), kEight);
}

}  // namespace
}  // namespace kestrova
