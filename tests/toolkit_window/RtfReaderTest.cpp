#include <gtest/gtest.h>

#include "tests/support/TempDir.h"
#include "toolkit/rtf/SRtfReader.h"
#include "ui/resources/TovadocResources.h"

using namespace SOUI;

namespace {
std::string Resource(const char* pszType, const char* pszName) {
    const SResTable& table = TovadocResources();
    for (size_t i = 0; i < table.nCount; ++i) {
        const SResEntry& e = table.pEntries[i];
        if (std::string(e.pszType) == pszType && std::string(e.pszName) == pszName) {
            return std::string(reinterpret_cast<const char*>(e.pData), e.nSize);
        }
    }
    return {};
}
}  // namespace

TEST(RtfReader, ChineseBytesInCodePage936) {
    // "你好，世界" in GBK, split over two runs with a bold change between.
    SRtfDocument doc;
    ASSERT_TRUE(SRtfReader::Read(
        "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}"
        "\\f0\\fs24 \\'c4\\'e3\\'ba\\'c3\\b \\'a3\\'ac\\'ca\\'c0\\'bd\\'e7\\b0\\par}",
        doc));
    ASSERT_EQ(doc.paragraphs.size(), 1u);
    EXPECT_EQ(doc.GetText(), L"你好，世界");
    ASSERT_EQ(doc.paragraphs[0].runs.size(), 2u);
    EXPECT_FALSE(doc.paragraphs[0].runs[0].bBold);
    EXPECT_TRUE(doc.paragraphs[0].runs[1].bBold);
    EXPECT_EQ(doc.paragraphs[0].runs[1].strText, L"，世界");
    EXPECT_EQ(doc.nCodePage, 936);
}

TEST(RtfReader, UnicodeEscapesSkipTheirFallback) {
    SRtfDocument doc;
    ASSERT_TRUE(SRtfReader::Read(
        "{\\rtf1\\uc1 A\\u20320?B\\u-26083?C\\uc2\\u8220\\'a1\\'b0D\\u55357?\\u56832?}", doc));
    // 20320 = U+4F60, -26083 = U+9A1D; \uc2 skips a two-byte fallback.
    EXPECT_EQ(doc.GetText(), std::wstring(L"A\u4f60B\u9a1dC\u201cD") + wchar_t(0x1f600));
}

TEST(RtfReader, ParagraphsSizesAndDestinations) {
    SRtfDocument doc;
    ASSERT_TRUE(SRtfReader::Read(
        "{\\rtf1{\\*\\generator Writer;}{\\info{\\title Hidden}}{\\colortbl;\\red1\\green2\\blue3;}"
        "\\pard\\qc\\fs32 Title\\par\\pard\\fs20 Body {\\i it}\\line next\\tab x\\par"
        "\\{braces\\} and \\\\slash\\par}",
        doc));
    ASSERT_EQ(doc.paragraphs.size(), 3u);
    EXPECT_EQ(doc.paragraphs[0].GetText(), L"Title");
    EXPECT_EQ(doc.paragraphs[0].nAlign, 1);
    EXPECT_EQ(doc.paragraphs[0].runs[0].nHalfPoints, 32);
    EXPECT_EQ(doc.paragraphs[1].GetText(), L"Body it\nnext\tx");
    EXPECT_EQ(doc.paragraphs[1].nAlign, 0);
    ASSERT_EQ(doc.paragraphs[1].runs.size(), 3u);
    EXPECT_TRUE(doc.paragraphs[1].runs[1].bItalic);
    EXPECT_FALSE(doc.paragraphs[1].runs[2].bItalic);  // the group ended
    EXPECT_EQ(doc.paragraphs[1].runs[0].nHalfPoints, 20);
    EXPECT_EQ(doc.paragraphs[2].GetText(), L"{braces} and \\slash");
}

TEST(RtfReader, BadInputFailsWithoutCrashing) {
    SRtfDocument doc;
    EXPECT_FALSE(SRtfReader::Read("plain text", doc));
    EXPECT_FALSE(SRtfReader::Read("", doc));
    std::string strDeep = "{\\rtf1 ";
    strDeep += std::string(100000, '{');
    EXPECT_FALSE(SRtfReader::Read(strDeep, doc));
    // Unclosed groups and a truncated escape keep what was read.
    EXPECT_TRUE(SRtfReader::Read("{\\rtf1 abc{\\b def\\'c4", doc));
    EXPECT_EQ(doc.GetText().substr(0, 6), L"abcdef");
    EXPECT_TRUE(SRtfReader::Read("{\\rtf1 x\\", doc));
    EXPECT_EQ(doc.GetText(), L"x");
}

TEST(RtfReader, ABadByteOrCodeCostsOnlyItself) {
    // (input, text): a byte GBK does not know, a lead byte at the end of a
    // run, and \uN values that name no character, whose fallback shows.
    const std::pair<const char*, std::wstring> kCases[] = {
        {"{\\rtf1\\'c4\\'e3\\'ff\\'ba\\'c3}", L"你\xfffd好"},
        {"{\\rtf1\\'c4\\'e3\\'ba}", L"你\xfffd"},
        {"{\\rtf1 a\\u99999999999?b}", L"a?b"},
        {"{\\rtf1 a\\u-2147483648?b\\u65535 c\\u0 d\\u-32769 e}", L"a?bcde"},
        {"{\\rtf1 a\\u-32768?b\\u65533?c}",
         L"a\x8000"
         L"b\xfffd"
         L"c"},
    };
    for (const auto& [pszRtf, strText] : kCases) {
        SRtfDocument doc;
        ASSERT_TRUE(SRtfReader::Read(pszRtf, doc)) << pszRtf;
        EXPECT_EQ(doc.GetText(), strText) << pszRtf;
    }
}

TEST(RtfReader, LicenceDocuments) {
    std::string strCn = Resource("RTF", "RTF_PROTOCOL_RTF");
    std::string strEn = Resource("RTF", "RTF_PROTOCOL_RTF_EN");
    ASSERT_FALSE(strCn.empty());
    ASSERT_FALSE(strEn.empty());
    SRtfDocument docCn, docEn;
    ASSERT_TRUE(SRtfReader::Read(strCn, docCn));
    ASSERT_TRUE(SRtfReader::Read(strEn, docEn));
    EXPECT_NE(docCn.GetText().find(L"许可协议"), std::wstring::npos);
    EXPECT_NE(docEn.GetText().find(L"Tovadoc End User Licence Agreement"), std::wstring::npos);
    // Typographic quotes come from \uN (the English text has plain ones);
    // the font table stays out.
    EXPECT_NE(docCn.GetText().find(L"\u201c本软件\u201d"), std::wstring::npos);
    EXPECT_NE(docEn.GetText().find(L"\"the Software\""), std::wstring::npos);
    EXPECT_EQ(docEn.GetText().find(L"Arial"), std::wstring::npos);
    EXPECT_GT(docCn.paragraphs.size(), 5u);
    EXPECT_TRUE(docEn.paragraphs[0].runs[0].bBold);
    EXPECT_EQ(docEn.paragraphs[0].runs[0].nHalfPoints, 32);
}
