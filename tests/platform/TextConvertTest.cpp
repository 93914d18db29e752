#include <gtest/gtest.h>

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

TEST(TextConvert, InvalidInputIsReplacedNotFatal) {
    // A lone continuation byte, a truncated sequence, an overlong encoding.
    EXPECT_EQ(AnsiToWide("a\x80z"), L"a\uFFFDz");
    EXPECT_EQ(AnsiToWide("a\xE5\xAE"), L"a\uFFFD\uFFFD");
    EXPECT_EQ(AnsiToWide("\xC0\xAF"), L"\uFFFD\uFFFD");
    EXPECT_EQ(AnsiToUtf8("ok\xFF"), "ok\xEF\xBF\xBD");
    // Surrogates and values beyond Unicode are no characters.
    std::wstring bad = L"x";
    bad.push_back(static_cast<wchar_t>(0xD800));
    bad.push_back(static_cast<wchar_t>(0x110000));
    EXPECT_EQ(WideToAnsi(bad), "x\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(TextConvert, EmbeddedZerosAreKept) {
    const std::string narrow("a\0b", 3);
    const std::wstring wide(L"a\0b", 3);
    EXPECT_EQ(AnsiToWide(narrow), wide);
    EXPECT_EQ(WideToAnsi(wide), narrow);
    EXPECT_EQ(AnsiToUtf8(narrow), narrow);
}
