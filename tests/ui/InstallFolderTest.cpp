#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/TextConvert.h"
#include "ui/InstallFolder.h"

TEST(InstallFolder, ProgramsFolderByAccount) {
    EXPECT_EQ(DecideProgramsFolder(true, "/home/u/data", "/home/u"), L"/opt");
    EXPECT_EQ(DecideProgramsFolder(false, "/srv/data", "/home/u"), L"/srv/data");
    EXPECT_EQ(DecideProgramsFolder(false, nullptr, "/home/u"), L"/home/u/.local/share");
    EXPECT_EQ(DecideProgramsFolder(false, "", "/home/u/"), L"/home/u/.local/share");
    // A relative XDG_DATA_HOME is not a base directory.
    EXPECT_EQ(DecideProgramsFolder(false, "data", "/home/u"), L"/home/u/.local/share");
    EXPECT_EQ(DecideProgramsFolder(false, nullptr, "/"), L"/.local/share");
    EXPECT_EQ(DecideProgramsFolder(false, "/home/用户/数据", "/x"), L"/home/用户/数据");
}

TEST(InstallFolder, DefaultFolderLiesInAnExistingProgramsFolder) {
    std::wstring strDir = GetDefaultInstallDir();
    ASSERT_GT(strDir.size(), 8u);
    EXPECT_EQ(strDir.substr(strDir.size() - 8), L"/Tovadoc");
    EXPECT_TRUE(std::filesystem::is_directory(WideToAnsi(strDir.substr(0, strDir.size() - 8))));
    if (geteuid() == 0) {
        EXPECT_EQ(strDir, L"/opt/Tovadoc");
    }
}

TEST(InstallFolder, ChosenFolderGetsTheProductFolder) {
    EXPECT_EQ(JoinProductFolder(L"/data"), L"/data/Tovadoc");
    EXPECT_EQ(JoinProductFolder(L"/"), L"/Tovadoc");
    EXPECT_EQ(JoinProductFolder(L"/data/"), L"/data/Tovadoc");
    // A picker that gave no path leaves the bare, relative name.
    EXPECT_EQ(JoinProductFolder(L""), L"/Tovadoc");
    // Browsing always adds it, even into a folder of that name.
    EXPECT_EQ(JoinProductFolder(L"/data/Tovadoc"), L"/data/Tovadoc/Tovadoc");
}

TEST(InstallFolder, TypedFolderEndingInTheProductNameStands) {
    EXPECT_EQ(AppendProductFolder(L"/opt/Tovadoc"), L"/opt/Tovadoc");
    EXPECT_EQ(AppendProductFolder(L"/opt/MyTovadoc"), L"/opt/MyTovadoc");
    EXPECT_EQ(AppendProductFolder(L"Tovadoc"), L"Tovadoc");
    EXPECT_EQ(AppendProductFolder(L"/Apps"), L"/Apps/Tovadoc");
    // The test is case-sensitive.
    EXPECT_EQ(AppendProductFolder(L"/Apps/tovadoc"), L"/Apps/tovadoc/Tovadoc");
    EXPECT_EQ(AppendProductFolder(L"/Apps/"), L"/Apps/Tovadoc");
    EXPECT_EQ(AppendProductFolder(L"ovadoc"), L"ovadoc/Tovadoc");
    EXPECT_EQ(AppendProductFolder(L"/Tovadoc/"), L"/Tovadoc/Tovadoc");
}
