// Saving survives a killed process and a full disk: the settings file always
// holds one complete content.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>

#include "settings/settings_file.h"
#include "tests/support/scratch_directory.h"

namespace kestrova {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

MemoryPanel Filled(const std::string& text) {
    MemoryPanel panel;
    for (Field field : kInputFields) panel.SetText(field, text);
    return panel;
}

std::string Saved(const std::string& text) {
    std::string file;
    for (std::size_t i = 0; i < kInputFields.size(); ++i) file += text + "\r\n";
    return file;
}

class SaveUnderFailure : public testing::Test {
protected:
    testing_support::ScratchDirectory scratch_;
    const fs::path& directory_ = scratch_.Path();
};

TEST_F(SaveUnderFailure, KilledAtRandomMomentsLeavesOneWholeContent) {
    // Two contents of different lengths, so that a torn write shows.
    const std::string shortText = "1";
    const std::string longText(300, '2');
    WriteIni(Filled(shortText));
    std::mt19937 random(42);
    int killedMidSave = 0;
    for (int kill = 0; kill < 200; ++kill) {
        int started[2];
        ASSERT_EQ(::pipe(started), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Saving from the first moment on, once the child runs: under an
            // emulator or a sanitizer a fork takes longer than the waits.
            ::close(started[0]);
            bool told = false;
            for (;;) {
                WriteIni(Filled(longText));
                WriteIni(Filled(shortText));
                if (!told) told = ::write(started[1], "", 1) == 1;
            }
        }
        ::close(started[1]);
        char byte;
        ASSERT_EQ(::read(started[0], &byte, 1), 1);
        ::close(started[0]);
        ::usleep(static_cast<useconds_t>(random() % 4000));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::string file = Contents("Kestrova.INI");
        ASSERT_TRUE(file == Saved(shortText) || file == Saved(longText))
            << "after kill " << kill << ": " << file.size() << " bytes";
        // A save killed part-way leaves its own temporary file behind.
        for (const fs::directory_entry& entry : fs::directory_iterator(".")) {
            if (entry.path().filename().string().starts_with("Kestrova.INI.tmp")) {
                ++killedMidSave;
                fs::remove(entry.path());
            }
        }
    }
    // The kills did land inside saves, not only between them.
    EXPECT_GT(killedMidSave, 0);
    MemoryPanel panel;
    ReadIni(panel);
    EXPECT_FALSE(fs::exists("Kestrova.INI.bak")) << "no recovery was needed";
}

TEST_F(SaveUnderFailure, FullFileSystemReportsAndKeepsThePreviousFile) {
    fs::create_directory("small");
    if (::mount("tmpfs", "small", "tmpfs", 0, "size=16k") != 0)
        GTEST_SKIP() << "no tmpfs mount here; the size-limit test covers a full disk";
    fs::current_path("small");
    const std::string old = Saved("900");
    WriteIni(Filled("900"));
    {
        // Fill the rest of the file system.
        std::ofstream filler("filler", std::ios::binary);
        const std::string block(1024, 'x');
        for (int i = 0; i < 64 && filler; ++i) filler << block << std::flush;
    }
    std::optional<FileFault> fault;
    try {
        WriteIni(Filled(std::string(2000, '7')));
    } catch (const FileFault& failure) {
        fault = failure;
    }
    ASSERT_TRUE(fault.has_value()) << "the save was reported as done";
    EXPECT_EQ(fault->Reason(), "No space left on device") << fault->what();
    EXPECT_EQ(Contents("Kestrova.INI"), old);
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 2)
        << "a temporary file is left";
    fs::current_path(directory_);
    ::umount("small");
}

}  // namespace
}  // namespace kestrova
