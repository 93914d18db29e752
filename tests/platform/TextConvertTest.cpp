#include <glib.h>
#include <gtest/gtest.h>

#include <random>

#include "platform/TextConvert.h"

TEST(TextConvert, RoundTripOfChineseAndAstralText) {
    const std::wstring wide = L"安装 Tovadoc 😀 é";
    const std::string utf8 = "安装 Tovadoc 😀 é";
    EXPECT_EQ(WideToAnsi(wide), utf8);
    EXPECT_EQ(AnsiToWide(utf8), wide);
    EXPECT_EQ(AnsiToUtf8(utf8), utf8);
    EXPECT_EQ(WideToAnsi(L""), "");
    EXPECT_EQ(AnsiToWide(""), L"");
}

// File names and lines that are not UTF-8 (an archive unpacked with GBK
// names) come back byte for byte; only the outside world gets U+FFFD.
TEST(TextConvert, BytesThatAreNoUtf8SurviveTheRoundTrip) {
    struct Case {
        std::string narrow;
        std::wstring wide;
    };
    // A lone continuation byte, a truncated sequence, an overlong encoding,
    // GBK for "安装" (whose second half happens to be valid UTF-8), an
    // encoded surrogate.
    const Case cases[] = {
        {"a\x80z", L"a\xDC80z"},
        {"a\xE5\xAE", L"a\xDCE5\xDCAE"},
        {"\xC0\xAF", L"\xDCC0\xDCAF"},
        {"/tmp/\xB0\xB2\xD7\xB0/Install.ini", L"/tmp/\xDCB0\xDCB2\x05F0/Install.ini"},
        {"\xED\xA0\x80", L"\xDCED\xDCA0\xDC80"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AnsiToWide(c.narrow), c.wide);
        EXPECT_EQ(WideToAnsi(c.wide), c.narrow);
    }
    EXPECT_EQ(AnsiToUtf8("ok\xFF"), "ok\xEF\xBF\xBD");
    EXPECT_EQ(AnsiToUtf8(WideToAnsi(L"\xDCB0\xDCB2")), "\xEF\xBF\xBD\xEF\xBF\xBD");
    // Other surrogates and values beyond Unicode are no characters.
    std::wstring bad = L"x";
    bad.push_back(static_cast<wchar_t>(0xD800));
    bad.push_back(static_cast<wchar_t>(0x110000));
    EXPECT_EQ(WideToAnsi(bad), "x\xEF\xBF\xBD\xEF\xBF\xBD");

    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(std::uniform_int_distribution<size_t>(0, 24)(random), '\0');
        for (char& b : bytes)
            b = static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random));
        ASSERT_EQ(WideToAnsi(AnsiToWide(bytes)), bytes);
        // GLib's check refuses zero bytes, which the conversion keeps.
        std::string utf8 = AnsiToUtf8(bytes);
        std::erase(utf8, '\0');
        ASSERT_TRUE(g_utf8_validate_len(utf8.data(), utf8.size(), nullptr));
    }
}

TEST(TextConvert, EmbeddedZerosAreKept) {
    const std::string narrow("a\0b", 3);
    const std::wstring wide(L"a\0b", 3);
    EXPECT_EQ(AnsiToWide(narrow), wide);
    EXPECT_EQ(WideToAnsi(wide), narrow);
    EXPECT_EQ(AnsiToUtf8(narrow), narrow);
}
