#include "MainFormFixture.h"
#include "platform/ExecutablePath.h"
#include "support/FilePermissionsApply.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct SettingsCase {
    const char* name;
    const char* fileBefore; // nullptr: no file
    QRect bounds;           // left, top, width, height after start-up
    int port;
    bool realmon;
    const char* fileAfter;
};

const char* const kFirstRunFile =
    "[main]\ntop=107\nleft=192\nwidth=276\nheight=332\n[setup]\nport=0\nrealmon=1\n";
const QRect kLayoutBounds(192, 107, 276, 332);

class SettingsTest : public MainFormFixture, public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(SettingsTest, ReadAtStartAndWrittenAtExit) {
    const SettingsCase& c = GetParam();
    if (c.fileBefore)
        Dir.Write("Tappolog.ini", c.fileBefore);

    TMainForm& form = CreateForm();
    EXPECT_EQ(QRect(form.Left(), form.Top(), form.Width(), form.Height()), c.bounds);
    EXPECT_EQ(form.cbPort->currentIndex(), c.port);
    EXPECT_EQ(form.cbRealtimeMonitor->isChecked(), c.realmon);
    EXPECT_EQ(form.lbStatus->text(), "Not opened");

    form.miExit->trigger();
    EXPECT_EQ(Dir.Read("Tappolog.ini"), c.fileAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsTest,
    ::testing::Values(
        SettingsCase{"NoFile", nullptr, kLayoutBounds, 0, true, kFirstRunFile},
        SettingsCase{
            "StoredGeometry", "[main]\ntop=50\nleft=20\nwidth=300\nheight=400\n",
            QRect(20, 50, 300, 400), 0, true,
            "[main]\ntop=50\nleft=20\nwidth=300\nheight=400\n[setup]\nport=0\nrealmon=1\n"},
        SettingsCase{
            "Port8SelectsCom9", "[setup]\nport=8\n", kLayoutBounds, 8, true,
            "[setup]\nport=8\nrealmon=1\n[main]\ntop=107\nleft=192\nwidth=276\nheight=332\n"},
        SettingsCase{
            "Port9SelectsNothing", "[setup]\nport=9\n", kLayoutBounds, -1, true,
            "[setup]\nport=-1\nrealmon=1\n[main]\ntop=107\nleft=192\nwidth=276\nheight=332\n"},
        SettingsCase{
            "PortMinus5SelectsNothing", "[setup]\nport=-5\n", kLayoutBounds, -1, true,
            "[setup]\nport=-1\nrealmon=1\n[main]\ntop=107\nleft=192\nwidth=276\nheight=332\n"},
        SettingsCase{
            "PortMinus1SelectsNothing", "[setup]\nport=-1\n", kLayoutBounds, -1, true,
            "[setup]\nport=-1\nrealmon=1\n[main]\ntop=107\nleft=192\nwidth=276\nheight=332\n"},
        SettingsCase{
            "Realmon2TicksAndIsWrittenAs1", "[setup]\nrealmon=2\n", kLayoutBounds, 0, true,
            "[setup]\nrealmon=1\nport=0\n[main]\ntop=107\nleft=192\nwidth=276\nheight=332\n"},
        SettingsCase{
            "Realmon0Unticks", "[setup]\nrealmon=0\n", kLayoutBounds, 0, false,
            "[setup]\nrealmon=0\nport=0\n[main]\ntop=107\nleft=192\nwidth=276\nheight=332\n"},
        SettingsCase{
            "FirstOfDuplicateSectionsAndKeysWins",
            "[main]\ntop=50\ntop=60\n[setup]\nport=3\n[main]\nleft=20\n[setup]\nport=5\n",
            QRect(192, 50, 276, 332), 3, true,
            "[main]\ntop=50\ntop=60\nleft=192\nwidth=276\nheight=332\n[setup]\nport=3\nrealmon=1\n"
            "[main]\nleft=20\n[setup]\nport=5\n"},
        SettingsCase{"LettersGiveTheLayoutValue", "[main]\ntop=abc\n", kLayoutBounds, 0, true,
                     kFirstRunFile},
        SettingsCase{
            "HexWidth", "[MAIN]\nWidth=0x200\n", QRect(192, 107, 512, 332), 0, true,
            "[MAIN]\nWidth=512\ntop=107\nleft=192\nheight=332\n[setup]\nport=0\nrealmon=1\n"},
        SettingsCase{
            "UnknownKeysAndSectionsKept",
            "; my settings\n[main]\ncolour=blue\n\n[ports]\nCOM1=/dev/ttyACM0\n", kLayoutBounds, 0,
            true,
            "; my settings\n[main]\ncolour=blue\ntop=107\nleft=192\nwidth=276\nheight=332\n"
            "\n[ports]\nCOM1=/dev/ttyACM0\n[setup]\nport=0\nrealmon=1\n"}),
    [](const auto& info) { return std::string(info.param.name); });

using SettingsLifecycleTest = MainFormFixture;

// A settings file the program may not read or replace: the window starts
// from its layout, and at exit one error box names the file while the
// shutdown goes on. Whatever the file held is left as it was.
struct RefusalCase {
    const char* name;
    void (*prepare)(const testing_support::TempDir& dir);
    const char* fileAfter; // nullptr: no file; "" for the directory in its place
};

class RefusedSettingsTest : public MainFormFixture,
                            public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusedSettingsTest, StartsFromTheLayoutAndShowsOneErrorAtExit) {
    const RefusalCase& c = GetParam();
    c.prepare(Dir);
    {
        const testing_support::FilePermissionsApply asAUser;
        TMainForm& form = CreateForm();
        EXPECT_EQ(QRect(form.Left(), form.Top(), form.Width(), form.Height()), kLayoutBounds);
        EXPECT_EQ(form.lbStatus->text(), "Not opened");
        DestroyForm();
    }
    ASSERT_EQ(ErrorBoxes.size(), 1u);
    EXPECT_NE(ErrorBoxes[0].find(Dir.Path("Tappolog.ini")), std::string::npos) << ErrorBoxes[0];
    ::chmod(Dir.Path("").c_str(), 0755);
    ::chmod(Dir.Path("Tappolog.ini").c_str(), 0644);
    if (c.fileAfter == nullptr) {
        EXPECT_FALSE(Dir.Exists("Tappolog.ini"));
    } else if (*c.fileAfter != '\0') {
        EXPECT_EQ(Dir.Read("Tappolog.ini"), c.fileAfter);
    }
    EXPECT_LE(Dir.Entries(), 1u) << "no temporary file is left behind";
}

const char* const kStoredGeometry = "[main]\ntop=5\nleft=6\nwidth=300\nheight=400\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedSettingsTest,
    ::testing::Values(RefusalCase{"DirectoryInItsPlace",
                                  [](const testing_support::TempDir& dir) {
                                      std::filesystem::create_directory(dir.Path("Tappolog.ini"));
                                  },
                                  ""},
                      RefusalCase{"NoReadPermission",
                                  [](const testing_support::TempDir& dir) {
                                      dir.Write("Tappolog.ini", kStoredGeometry);
                                      ::chmod(dir.Path("Tappolog.ini").c_str(), 0);
                                  },
                                  kStoredGeometry},
                      RefusalCase{"ReadOnlyDirectoryWithoutFile",
                                  [](const testing_support::TempDir& dir) {
                                      ::chmod(dir.Path("").c_str(), 0555);
                                  },
                                  nullptr},
                      RefusalCase{"ReadOnlyDirectoryAndFile",
                                  [](const testing_support::TempDir& dir) {
                                      dir.Write("Tappolog.ini", "[setup]\nport=4\n");
                                      ::chmod(dir.Path("Tappolog.ini").c_str(), 0444);
                                      ::chmod(dir.Path("").c_str(), 0555);
                                  },
                                  "[setup]\nport=4\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// Junk of every byte value, and a file far larger than any settings file:
// the window reads what it can, and at exit the file keeps every byte it had,
// with the settings added so that the next start reads them back.
TEST_F(SettingsLifecycleTest, BinaryJunkIsKeptAndTheSettingsAreAddedAfterIt) {
    std::mt19937 random(7);
    std::string junk(64 * 1024, '\0');
    for (char& byte : junk)
        byte = static_cast<char>(random() & 0xFF);
    junk.push_back('\r'); // a lone CR at the very end: the hardest last line
    Dir.Write("Tappolog.ini", junk);

    TMainForm& form = CreateForm();
    form.cbPort->setCurrentIndex(2);
    DestroyForm();
    const std::string after = Dir.Read("Tappolog.ini");
    EXPECT_EQ(after.substr(0, junk.size()), junk);

    TMainForm& again = CreateForm();
    EXPECT_EQ(again.cbPort->currentIndex(), 2);
    EXPECT_EQ(QRect(again.Left(), again.Top(), again.Width(), again.Height()), kLayoutBounds);
}

TEST_F(SettingsLifecycleTest, HugeFileIsReadAndWrittenBackWhole) {
    std::string huge = "[notes]\n";
    for (int i = 0; huge.size() < 32u * 1024 * 1024; ++i)
        huge += "note" + std::to_string(i) + "=" + std::string(100, 'x') + "\n";
    const std::size_t notes = huge.size();
    huge += "[setup]\nport=7\n";
    Dir.Write("Tappolog.ini", huge);

    TMainForm& form = CreateForm();
    EXPECT_EQ(form.cbPort->currentIndex(), 7);
    form.cbPort->setCurrentIndex(1);
    DestroyForm();
    const std::string after = Dir.Read("Tappolog.ini");
    EXPECT_EQ(after.compare(0, notes, huge, 0, notes), 0);
    EXPECT_EQ(after.substr(notes),
              "[setup]\nport=1\nrealmon=1\n[main]\ntop=107\nleft=192\nwidth=276\nheight=332\n");
}

TEST_F(SettingsLifecycleTest, MinimisingAndRestoringWritesNothing) {
    TMainForm& form = CreateForm();
    form.showMinimized();
    QCoreApplication::processEvents();
    form.showNormal();
    QCoreApplication::processEvents();
    EXPECT_FALSE(Dir.Exists("Tappolog.ini"));
}

TEST_F(SettingsLifecycleTest, MaximisedWindowWritesItsMaximisedBounds) {
    TMainForm& form = CreateForm();
    form.showMaximized();
    QCoreApplication::processEvents();
    const QRect bounds(form.Left(), form.Top(), form.Width(), form.Height());
    ASSERT_NE(bounds, kLayoutBounds);
    DestroyForm();

    CreateForm();
    EXPECT_EQ(QRect(Form->Left(), Form->Top(), Form->Width(), Form->Height()), bounds);
    EXPECT_FALSE(Form->isMaximized());
}

TEST(ExecutableDirectoryTest, IgnoresTheWorkingDirectory) {
    const std::filesystem::path before = std::filesystem::current_path();
    const std::string found = platform::ExecutableDirectory();
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    EXPECT_EQ(platform::ExecutableDirectory(), found);
    std::filesystem::current_path(before);
    EXPECT_EQ(found, std::filesystem::canonical("/proc/self/exe").parent_path().string() + "/");
}

} // namespace
