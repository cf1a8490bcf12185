// The file layer on its own: faults that carry the system's error, reads
// that refuse what is no regular file, writes that fail as failures, and
// replacements that leave either the old content or the new.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "files/descriptor.h"
#include "files/file_fault.h"
#include "files/input_file.h"
#include "files/replacement_file.h"
#include "files/text_encoding.h"

namespace kestrova {
namespace {

namespace fs = std::filesystem;

class Files : public testing::Test {
protected:
    Files() {
        std::string pattern = (fs::temp_directory_path() / "kestrova-files-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) directory_ = pattern;
    }
    ~Files() override { fs::remove_all(directory_); }
    std::string In(const char* name) const { return (directory_ / name).string(); }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    fs::path directory_;
};

// What a failing operation raises: its operation, and the system's error as
// a number to branch on, never as words to compare.
TEST_F(Files, FaultsCarryTheSystemsError) {
    std::ofstream(In("file")) << "x";
    fs::create_directory(In("directory"));
    struct Case {
        const char* name;
        std::function<void()> run;
        const char* operation;
        int error;
    };
    const Case cases[] = {
        {"missing file", [&] { files::InputFile file(In("missing")); }, "open", ENOENT},
        {"path through a file", [&] { files::InputFile file(In("file") + "/x"); }, "open", ENOTDIR},
        {"full device",
         [&] {
             const files::Descriptor full(::open("/dev/full", O_WRONLY | O_CLOEXEC));
             files::WriteAll(full.Get(), "bytes", "/dev/full");
         },
         "write", ENOSPC},
        {"replacement in a missing directory", [&] { files::ReplaceFileContent(In("missing/file"), "x"); },
         "create", ENOENT},
    };
    for (const Case& c : cases) {
        try {
            c.run();
            ADD_FAILURE() << c.name << ": no fault";
        } catch (const UnusableFileFault& fault) {
            ADD_FAILURE() << c.name << ": refused as unusable: " << fault.what();
        } catch (const FileFault& fault) {
            EXPECT_EQ(fault.Operation(), c.operation) << c.name;
            EXPECT_EQ(fault.Error(), c.error) << c.name << ": " << fault.what();
        }
    }
    const FileFault own("f", "read", "end of file before line 3");
    EXPECT_EQ(own.Error(), 0);
    EXPECT_STREQ(own.what(), "\"f\": read failed: end of file before line 3");
}

TEST_F(Files, OnlyRegularFilesAreRead) {
    fs::create_directory(In("directory"));
    ASSERT_EQ(::mkfifo(In("fifo").c_str(), 0600), 0);
    for (const char* name : {"directory", "fifo"})
        EXPECT_THROW(files::InputFile file(In(name)), UnusableFileFault) << name;
}

TEST_F(Files, AReplacementIsAllOrNothing) {
    const std::string target = In("target");
    std::ofstream(target) << "old";
    ::chmod(target.c_str(), 0640);
    {
        files::ReplacementFile unfinished(target);
        unfinished.Write("half");
    }  // never committed
    EXPECT_EQ(Read(target), "old");
    files::ReplaceFileContent(target, "new");
    EXPECT_EQ(Read(target), "new");
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u) << "the replaced file keeps its permissions";
    EXPECT_EQ(std::distance(fs::directory_iterator(directory_), fs::directory_iterator()), 1)
        << "no temporary file is left";
}

TEST(TextEncoding, LinesThatAreNoUtf8AreReadAsLatin1) {
    EXPECT_EQ(files::TextFromFileLine("caf\xc3\xa9"), "caf\xc3\xa9");
    EXPECT_EQ(files::TextFromFileLine("caf\xe9"), "caf\xc3\xa9");
}

}  // namespace
}  // namespace kestrova
