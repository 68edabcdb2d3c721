// The Linux process-start service: what a command line becomes, and the
// real start of a recording `xdg-open` placed first on PATH.
#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/linux/XdgShell.h"
#include "tests/support/Fakes.h"
#include "toolkit/Error.h"

using platform::gnulinux::XdgShell;
using Words = std::vector<std::string>;

namespace {

std::int32_t errorNumberOf(const std::string& commandLine) {
    try {
        XdgShell::argumentsFor(commandLine);
    } catch (const toolkit::Error& error) {
        return error.number();
    }
    return 0;
}

TEST(XdgShellCommandLine, ExplorerWithAQuotedTargetOpensItWithXdgOpen) {
    EXPECT_EQ(XdgShell::argumentsFor(R"(explorer.exe "http://checkip.dyndns.org/")"),
              (Words{"xdg-open", "http://checkip.dyndns.org/"}));
    // Whatever the quotes hold is one argument, blanks and shell syntax included.
    EXPECT_EQ(XdgShell::argumentsFor(R"(explorer.exe "http://host/a b;c $(x) `y` 'z' &w")"),
              (Words{"xdg-open", "http://host/a b;c $(x) `y` 'z' &w"}));
}

TEST(XdgShellCommandLine, MalformedBrowserCommandLinesAreRefused) {
    const char* refused[] = {
        R"(explorer.exe http://host/)",           // not quoted
        R"(explorer.exe "http://host/)",          // quote not closed
        R"(explorer.exe "http://host/" extra)",   // something after the target
        R"(explorer.exe "")",                     // no target
        R"(explorer.exe "a"b")",                  // a quote inside the target
        R"(explorer.exe "--help")",               // xdg-open would take it as an option
        R"(explorer.exe  "http://host/")",        // two blanks: the target would start with a blank
    };
    for (const char* commandLine : refused)
        EXPECT_EQ(errorNumberOf(commandLine), toolkit::errors::InvalidProcedureCall) << commandLine;
}

TEST(XdgShellCommandLine, OtherCommandLinesAreSplitWithQuotesGrouping) {
    EXPECT_EQ(XdgShell::argumentsFor("notepad.exe"), (Words{"notepad.exe"}));
    EXPECT_EQ(XdgShell::argumentsFor(R"(prog  "two words"  x"y z"w  "")"), (Words{"prog", "two words", "xy zw", ""}));
    EXPECT_EQ(errorNumberOf(""), toolkit::errors::InvalidProcedureCall);
    EXPECT_EQ(errorNumberOf("   "), toolkit::errors::InvalidProcedureCall);
    EXPECT_EQ(errorNumberOf(R"(prog "open)"), toolkit::errors::InvalidProcedureCall);
}

// A folder placed first on PATH holding a recording `xdg-open`: it writes
// its arguments, one per line after their count, then waits until the test
// lets it finish.
class RecordingXdgOpen : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        const std::filesystem::path dir = folder.path().toStdString();
        bin = dir / "bin";
        std::filesystem::create_directories(bin);
        received = dir / "received";
        release = dir / "release";
        finished = dir / "finished";
        std::ofstream script(bin / "xdg-open");
        script << "#!/bin/sh\n"
               << "{ echo $#; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > '" << received.string() << ".part'\n"
               << "mv '" << received.string() << ".part' '" << received.string() << "'\n"
               << "i=0; while [ ! -e '" << release.string() << "' ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i+1)); done\n"
               << "touch '" << finished.string() << "'\n";
        script.close();
        std::filesystem::permissions(bin / "xdg-open", std::filesystem::perms::owner_all);
        savedPath = qgetenv("PATH");
        qputenv("PATH", QByteArray::fromStdString(bin.string()) + ":" + savedPath);
    }
    void TearDown() override {
        qputenv("PATH", savedPath);
        std::ofstream(release).close();
        // Let the script end before its folder goes.
        testing_support::waitUntil([&] { return std::filesystem::exists(finished); }, 5000);
    }

    std::string receivedText() const { return testing_support::readText(received.string()); }

    QTemporaryDir folder;
    std::filesystem::path bin, received, release, finished;
    QByteArray savedPath;
};

TEST_F(RecordingXdgOpen, BrowserCommandHandsTheUrlAsOneArgumentAndReturnsAtOnce) {
    const std::string url = "http://host.test/a b;c $(touch pwned) `id` 'q' &w";
    XdgShell shell;
    shell.Shell("explorer.exe \"" + url + "\"", toolkit::window_style::MinimizedFocus);
    // Shell has returned while the started program still waits for release.
    ASSERT_TRUE(testing_support::waitUntil([&] { return std::filesystem::exists(received); }, 10000));
    EXPECT_FALSE(std::filesystem::exists(finished)) << "the start waited for the program";
    EXPECT_EQ(receivedText(), "1\n" + url + "\n");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::current_path() / "pwned")) << "went through a shell";
}

TEST_F(RecordingXdgOpen, OtherCommandLinesStartTheirProgramWithTheirArguments) {
    XdgShell shell;
    shell.Shell(R"(xdg-open "first arg" second)", toolkit::window_style::NormalFocus);
    ASSERT_TRUE(testing_support::waitUntil([&] { return std::filesystem::exists(received); }, 10000));
    EXPECT_EQ(receivedText(), "2\nfirst arg\nsecond\n");
}

TEST(XdgShellStart, ProgramThatCannotBeStartedRaisesFileNotFound) {
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", empty.path().toUtf8());
    XdgShell shell;
    std::int32_t number = 0;
    std::string description;
    try {
        shell.Shell(R"(explorer.exe "http://host.test/")", toolkit::window_style::MinimizedFocus);
    } catch (const toolkit::Error& error) {
        number = error.number();
        description = error.description();
    }
    qputenv("PATH", savedPath);
    EXPECT_EQ(number, toolkit::errors::FileNotFound);
    EXPECT_NE(description.find("xdg-open"), std::string::npos) << description;
}

}  // namespace
