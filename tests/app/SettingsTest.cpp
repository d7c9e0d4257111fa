#include "MainFormFixture.h"
#include "platform/ExecutablePath.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

#include <filesystem>
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

TEST_F(SettingsLifecycleTest, RefusedWriteShowsOneErrorAndShutdownGoesOn) {
    ASSERT_TRUE(std::filesystem::create_directory(Dir.Path("Tappolog.ini")));
    TMainForm& form = CreateForm();
    EXPECT_EQ(form.lbStatus->text(), "Not opened");
    DestroyForm();
    ASSERT_EQ(ErrorBoxes.size(), 1u);
    EXPECT_NE(ErrorBoxes[0].find(Dir.Path("Tappolog.ini")), std::string::npos) << ErrorBoxes[0];
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
