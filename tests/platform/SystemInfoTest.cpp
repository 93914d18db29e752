#include <gtest/gtest.h>
#include <sys/utsname.h>

#include <filesystem>

#include "platform/SystemInfo.h"
#include "platform/TextConvert.h"

namespace {

COsFacts Facts(uint16_t major, uint16_t minor, uint16_t sp, bool b64, bool workstation = true) {
    COsFacts facts;
    facts.bVersionKnown = true;
    facts.nMajor = major;
    facts.nMinor = minor;
    facts.nServicePackMajor = sp;
    facts.bNative64 = b64;
    facts.bWorkstation = workstation;
    return facts;
}

}  // namespace

TEST(SystemInfo, OsKindForEveryReleaseAndBitness) {
    struct Case {
        COsFacts facts;
        int kind;
    } cases[] = {
        {Facts(5, 0, 4, false), 0},         {Facts(4, 10, 0, true), 0},
        {Facts(5, 1, 0, false), 1},         {Facts(5, 1, 2, false), 1},
        {Facts(5, 1, 3, false), 2},         {Facts(5, 1, 3, true), 2},
        {Facts(5, 2, 0, true), 2},          {Facts(5, 2, 2, false), 2},
        {Facts(5, 1, 2, true), 3},          {Facts(5, 1, 0, true), 3},
        {Facts(6, 0, 0, false), 4},         {Facts(6, 0, 2, true), 5},
        {Facts(6, 1, 0, false), 6},         {Facts(6, 1, 1, false), 6},
        {Facts(6, 1, 0, true), 7},          {Facts(6, 1, 1, true), 7},
        {Facts(6, 2, 0, false), 8},         {Facts(6, 2, 0, true), 9},
        {Facts(6, 3, 0, false), 10},        {Facts(6, 3, 0, true), 11},
        {Facts(10, 0, 0, false), 12},       {Facts(10, 0, 0, true), 13},
        {Facts(11, 0, 0, true), 13},        {Facts(10, 0, 0, true, false), 14},
        {Facts(6, 1, 1, false, false), 14}, {Facts(5, 1, 3, true, false), 14},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecideOsKind(c.facts), c.kind)
            << c.facts.nMajor << "." << c.facts.nMinor << " sp" << c.facts.nServicePackMajor
            << (c.facts.bNative64 ? " 64-bit" : " 32-bit")
            << (c.facts.bWorkstation ? "" : " server");
    }
}

TEST(SystemInfo, FailedProbesGiveTheNeutralKinds) {
    COsFacts unknownVersion;
    unknownVersion.bWorkstation = true;
    unknownVersion.bNative64 = true;
    EXPECT_EQ(DecideOsKind(unknownVersion), kOsKindUnknown);
    // A failed product-type query counts as a server.
    EXPECT_EQ(DecideOsKind(COsFacts{}), kOsKindServer);
    EXPECT_FALSE(IsVersionAtLeast(COsFacts{}, 0, 0, 0));
    // No Windows release exists to be asked on this machine.
    EXPECT_FALSE(IsVersionOrGreater(0, 0, 0));
    EXPECT_EQ(GetOsKind(), kOsKindServer);
}

TEST(SystemInfo, VersionComparisonIsLexicographic) {
    COsFacts xp64 = Facts(5, 2, 0, true);
    EXPECT_TRUE(IsVersionAtLeast(xp64, 5, 1, 3));
    EXPECT_FALSE(IsVersionAtLeast(xp64, 5, 2, 1));
    EXPECT_TRUE(IsVersionAtLeast(xp64, 5, 2, 0));
    EXPECT_FALSE(IsVersionAtLeast(xp64, 6, 0, 0));
    EXPECT_TRUE(IsVersionAtLeast(Facts(10, 0, 0, false), 6, 3, 9));
}

TEST(SystemInfo, LabelsOfTheKinds) {
    EXPECT_STREQ(GetOsKindLabel(0), L"未知系统");
    EXPECT_STREQ(GetOsKindLabel(3), L"xp 64位系统");
    EXPECT_STREQ(GetOsKindLabel(5), L"vista 64系统");
    EXPECT_STREQ(GetOsKindLabel(11), L"win8.1 64位系统");
    EXPECT_STREQ(GetOsKindLabel(14), L"未知系统");
    EXPECT_STREQ(GetOsKindLabel(15), L"未知系统");
    EXPECT_STREQ(GetOsKindLabel(-1), L"未知系统");
}

TEST(SystemInfo, SixtyFourBitMachinesAndWow64) {
    EXPECT_TRUE(IsMachine64Bit("x86_64"));
    EXPECT_TRUE(IsMachine64Bit("ia64"));
    EXPECT_FALSE(IsMachine64Bit("aarch64"));  // ARM64 does not count
    EXPECT_FALSE(IsMachine64Bit("i686"));
    EXPECT_FALSE(IsMachine64Bit(""));
    // A 32-bit installer on a 64-bit 8.1: native 64-bit (kind 11) and WOW64.
    EXPECT_TRUE(DecideWow64(true, "x86_64"));
    EXPECT_EQ(DecideOsKind(Facts(6, 3, 0, IsMachine64Bit("x86_64"))), 11);
    EXPECT_FALSE(DecideWow64(false, "x86_64"));
    EXPECT_FALSE(DecideWow64(true, "i686"));

    utsname name{};
    ASSERT_EQ(uname(&name), 0);
    EXPECT_EQ(IsNative64Bit(), IsMachine64Bit(name.machine));
    EXPECT_EQ(IsWow64(), sizeof(void*) == 4 && std::string(name.machine).ends_with("64"));
}

TEST(SystemInfo, ExeDirectory) {
    std::wstring dir = GetExeDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), L'/');
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(WideToAnsi(dir), exe.parent_path().string());

    EXPECT_EQ(DirectoryOfPath(L"/opt/Tovadoc/TovadocInstaller"), L"/opt/Tovadoc");
    EXPECT_EQ(DirectoryOfPath(L"TovadocInstaller"), L"TovadocInstaller");
    EXPECT_EQ(DirectoryOfPath(L"/TovadocInstaller"), L"");
}
