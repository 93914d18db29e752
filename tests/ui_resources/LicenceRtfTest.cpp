#include <glib.h>
#include <gtest/gtest.h>

#include <string>

#include "ResourceHelpers.h"

namespace {

bool IsSevenBit(const std::string& s) {
    for (unsigned char c : s)
        if (c >= 0x80)
            return false;
    return true;
}

bool HasHan(const std::string& utf8) {
    for (const char* p = utf8.c_str(); *p; p = g_utf8_next_char(p))
        if (g_unichar_get_script(g_utf8_get_char(p)) == G_UNICODE_SCRIPT_HAN)
            return true;
    return false;
}

bool AnyRunContains(const uires::RtfText& t, const std::string& s) {
    for (const std::string& run : t.boldRuns)
        if (run.find(s) != std::string::npos)
            return true;
    return false;
}

}  // namespace

TEST(UiResources, ChineseLicenceDecodesFromCodePage936) {
    std::string rtf = uires::ResourceBytes("RTF", "RTF_PROTOCOL_RTF");
    ASSERT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg936", 0), 0u);
    EXPECT_TRUE(IsSevenBit(rtf));
    uires::RtfText t = uires::ExtractRtf(rtf);
    ASSERT_TRUE(t.bValid);
    EXPECT_TRUE(g_utf8_validate(t.strText.c_str(), gssize(t.strText.size()), nullptr));
    EXPECT_TRUE(HasHan(t.strText));
    EXPECT_NE(t.strText.find("最终用户许可协议"), std::string::npos);
    EXPECT_NE(t.strText.find("\u201c本软件\u201d"), std::string::npos);  // \uN characters
    // Headings are bold, the body is not.
    EXPECT_TRUE(AnyRunContains(t, "一、许可的授予"));
    EXPECT_TRUE(AnyRunContains(t, "九、适用法律"));
    EXPECT_FALSE(AnyRunContains(t, "请仔细阅读本协议"));
    EXPECT_GT(g_utf8_strlen(t.strText.c_str(), -1), 600);
}

TEST(UiResources, EnglishLicenceKeepsTheChineseHeader) {
    std::string en = uires::ResourceBytes("RTF", "RTF_PROTOCOL_RTF_EN");
    std::string cn = uires::ResourceBytes("RTF", "RTF_PROTOCOL_RTF");
    EXPECT_TRUE(IsSevenBit(en));
    EXPECT_EQ(en.substr(0, en.find('\n')), cn.substr(0, cn.find('\n')));
    uires::RtfText t = uires::ExtractRtf(en);
    ASSERT_TRUE(t.bValid);
    EXPECT_NE(t.strText.find("End User Licence Agreement"), std::string::npos);
    // Plain ASCII quotes; no Chinese or full-width mark in the English text.
    EXPECT_NE(t.strText.find("\"as is\""), std::string::npos);
    EXPECT_EQ(t.strText.find("\u201c"), std::string::npos);
    EXPECT_FALSE(HasHan(t.strText));
    EXPECT_TRUE(AnyRunContains(t, "1. Grant of licence"));
    EXPECT_TRUE(AnyRunContains(t, "9. Governing law"));
    EXPECT_FALSE(AnyRunContains(t, "Please read this agreement"));
    // A few hundred words.
    size_t nWords = 0;
    bool bInWord = false;
    for (char c : t.strText) {
        bool bLetter = g_ascii_isalpha(c);
        if (bLetter && !bInWord)
            ++nWords;
        bInWord = bLetter;
    }
    EXPECT_GT(nWords, 300u);
}

TEST(UiResources, RtfExtractionRejectsBrokenDocuments) {
    // The checks above lean on this reader; make sure it can fail.
    EXPECT_FALSE(uires::ExtractRtf("{\\rtf1 unbalanced").bValid);
    EXPECT_FALSE(uires::ExtractRtf("{\\rtf1 \\'ff\\'ff}").bValid);  // not GBK
    uires::RtfText ok = uires::ExtractRtf("{\\rtf1{\\fonttbl{\\f0 x;}}\\b \\'d6\\'d0\\b0 b\\par}");
    EXPECT_TRUE(ok.bValid);
    EXPECT_EQ(ok.strText, "中b\n");  // the blank after \\b0 ends the word
    ASSERT_EQ(ok.boldRuns.size(), 1u);
    EXPECT_EQ(ok.boldRuns[0], "中");
}
