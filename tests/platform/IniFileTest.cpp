#include "platform/IniFile.h"
#include "platform/Exception.h"
#include "platform/FileText.h"
#include "support/FilePermissionsApply.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using platform::TIniFile;
using testing_support::TempDir;

TEST(IniFileTest, WritesThenReadsBackAndKeepsForeignLines) {
    TempDir dir;
    const std::string path = dir.Path("Tappolog.ini");
    dir.Write("Tappolog.ini", "; written by hand\n[mine]\nkeep=this\n[main]\nTOP=5\n");

    TIniFile ini(path);
    ini.WriteInteger("main", "top", 107);
    ini.WriteInteger("main", "left", -192);
    ini.WriteInteger("setup", "port", 0);

    EXPECT_EQ(
        dir.Read("Tappolog.ini"),
        "; written by hand\n[mine]\nkeep=this\n[main]\nTOP=107\nleft=-192\n[setup]\nport=0\n");
    EXPECT_EQ(ini.ReadInteger("Main", "Left", 0), -192);
    EXPECT_EQ(ini.ReadInteger("main", "width", 276), 276);
    EXPECT_EQ(ini.ReadString("mine", "keep", ""), "this");
}

TEST(IniFileTest, MissingFileGivesDefaultsAndIsNotCreatedByReading) {
    TempDir dir;
    TIniFile ini(dir.Path("Tappolog.ini"));
    EXPECT_EQ(ini.ReadInteger("setup", "port", 3), 3);
    EXPECT_FALSE(dir.Exists("Tappolog.ini"));
}

TEST(IniFileTest, RefusedWriteRaisesErrorNamingTheFile) {
    TempDir dir;
    // A directory where the file should be refuses the write even for root.
    ASSERT_EQ(::mkdir(dir.Path("Tappolog.ini").c_str(), 0755), 0);
    TIniFile ini(dir.Path("Tappolog.ini"));
    try {
        ini.WriteInteger("main", "top", 1);
        FAIL() << "the write should have been refused";
    } catch (const platform::EIniFileException& error) {
        EXPECT_NE(std::string(error.what()).find(dir.Path("Tappolog.ini")), std::string::npos)
            << error.what();
    }
}

TEST(IniFileTest, ReadOnlyDirectoryRefusesNewFile) {
    TempDir dir;
    ASSERT_EQ(::chmod(dir.Path("").c_str(), 0555), 0);
    TIniFile ini(dir.Path("Tappolog.ini"));
    {
        const testing_support::FilePermissionsApply asAUser;
        EXPECT_THROW(ini.WriteInteger("main", "top", 1), platform::EIniFileException);
    }
    ::chmod(dir.Path("").c_str(), 0755);
}

TEST(IniFileTest, ReplacingKeepsModeAndSymbolicLink) {
    TempDir dir;
    dir.Write("real.ini", "[main]\ntop=1\n");
    ASSERT_EQ(::chmod(dir.Path("real.ini").c_str(), 0640), 0);
    ASSERT_EQ(::symlink(dir.Path("real.ini").c_str(), dir.Path("Tappolog.ini").c_str()), 0);

    TIniFile(dir.Path("Tappolog.ini")).WriteInteger("main", "top", 2);

    struct stat info {};
    ASSERT_EQ(::lstat(dir.Path("Tappolog.ini").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ASSERT_EQ(::stat(dir.Path("real.ini").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(dir.Read("real.ini"), "[main]\ntop=2\n");
    EXPECT_EQ(dir.Entries(), 2u) << "no temporary file is left behind";
}

} // namespace
