#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/CCancelToken.h"
#include "platform/Sha256.h"
#include "support/TempDir.h"

using testsupport::TempDir;
using testsupport::WriteFile;

TEST(Sha256, KnownDigestsInPiecesAndOfFiles) {
    // FIPS 180-2 examples.
    const std::string kAbc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    const std::string kMillionA =
        "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0";
    CSha256 hash;
    hash.Update("a", 1);
    hash.Update("bc", 2);
    EXPECT_EQ(hash.FinishHex(), kAbc);
    // Finishing starts afresh.
    hash.Update("abc", 3);
    EXPECT_EQ(hash.FinishHex(), kAbc);

    TempDir dir;
    WriteFile(dir / "a", std::string(1000000, 'a'));
    std::string hex;
    int nErr = -1;
    ASSERT_TRUE(CSha256::HashFile((dir / "a").string(), hex, nErr));
    EXPECT_EQ(hex, kMillionA);
    EXPECT_EQ(nErr, 0);

    // Nothing is read through a link, a folder or a missing name.
    std::filesystem::create_symlink(dir / "a", dir / "link");
    EXPECT_FALSE(CSha256::HashFile((dir / "link").string(), hex, nErr));
    EXPECT_EQ(nErr, ELOOP);
    EXPECT_FALSE(CSha256::HashFile(dir.path().string(), hex, nErr));
    EXPECT_EQ(nErr, EISDIR);
    EXPECT_FALSE(CSha256::HashFile((dir / "none").string(), hex, nErr));
    EXPECT_EQ(nErr, ENOENT);

    // A closing installer does not wait for a large file to be read.
    CCancelToken cancel;
    cancel.Cancel();
    EXPECT_FALSE(CSha256::HashFile((dir / "a").string(), hex, nErr, &cancel));
    EXPECT_EQ(nErr, ECANCELED);
}

TEST(Sha256, OnlySixtyFourHexDigitsArePins) {
    const std::string kAbc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    std::string hex;
    EXPECT_TRUE(NormalizeSha256Hex(
        "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD", hex));
    EXPECT_EQ(hex, kAbc);
    for (const std::string& bad : {std::string(), kAbc.substr(1), kAbc + "0", " " + kAbc.substr(1),
                                   kAbc.substr(0, 63) + "g", kAbc.substr(0, 63) + "\xc3"}) {
        hex = "unchanged";
        EXPECT_FALSE(NormalizeSha256Hex(bad, hex)) << bad;
        EXPECT_EQ(hex, "unchanged");
    }
}
