#include <gtest/gtest.h>

#include "toolkit/render/SColor.h"
#include "toolkit/render/SFontDesc.h"

using namespace SOUI;

TEST(SColor, ParsesTheLayoutForms) {
    SColor cr;
    ASSERT_TRUE(SColor::Parse(L"#383838ff", cr));
    EXPECT_EQ(cr, SColor(0x38, 0x38, 0x38, 0xff));
    ASSERT_TRUE(SColor::Parse(L"#0392fe80", cr));
    EXPECT_EQ(cr.ToRGBA(), 0x0392fe80u);
    ASSERT_TRUE(SColor::Parse(L"#FB877D", cr));
    EXPECT_EQ(cr, SColor(0xfb, 0x87, 0x7d, 0xff));
    ASSERT_TRUE(SColor::Parse(L"rgb(255,0,0)", cr));
    EXPECT_EQ(cr, SColor(255, 0, 0, 255));
    ASSERT_TRUE(SColor::Parse(L" RGB( 0, 128 ,255 ) ", cr));
    EXPECT_EQ(cr, SColor(0, 128, 255, 255));
    ASSERT_TRUE(SColor::Parse(L"rgba(1,2,3,4)", cr));
    EXPECT_EQ(cr, SColor(1, 2, 3, 4));
    EXPECT_EQ(SColor::FromRGBA(0x11223344u), SColor(0x11, 0x22, 0x33, 0x44));
}

TEST(SColor, RejectsMalformedTextAndKeepsTheOldValue) {
    const SColor kOld(9, 9, 9, 9);
    for (const wchar_t* psz : {L"", L"#", L"#12345", L"#1234567", L"#123456789", L"#gg0000", L"red",
                               L"rgb(256,0,0)", L"rgb(-1,0,0)", L"rgb(1,2)", L"rgb(1,2,3,4)",
                               L"rgba(1,2,3)", L"rgb(1,2,3", L"rgb(1,,3)", L"rgb(a,b,c)"}) {
        SColor cr = kOld;
        EXPECT_FALSE(SColor::Parse(psz, cr))
            << "accepted: " << testing::PrintToString(std::wstring(psz));
        EXPECT_EQ(cr, kOld);
    }
}

TEST(SFontDesc, FullDescriptorOverridesTheBase) {
    SFontDesc base;
    base.strFace = L"宋体";
    base.nSize = 15;
    SFontDesc desc;
    ASSERT_TRUE(SFontDesc::Parse(L"face:微软雅黑,size:20,bold:1,underline:1,italic:1", base, desc));
    EXPECT_EQ(desc.strFace, L"微软雅黑");
    EXPECT_EQ(desc.nSize, 20);
    EXPECT_TRUE(desc.bBold);
    EXPECT_TRUE(desc.bUnderline);
    EXPECT_TRUE(desc.bItalic);
    EXPECT_FALSE(desc.bStrike);
}

TEST(SFontDesc, MissingKeysKeepTheBaseAndAddingIsRelative) {
    SFontDesc base;
    base.strFace = L"宋体";
    base.nSize = 15;
    base.bBold = true;
    SFontDesc desc;
    ASSERT_TRUE(SFontDesc::Parse(L"adding:-2", base, desc));
    EXPECT_EQ(desc.strFace, L"宋体");
    EXPECT_EQ(desc.nSize, 13);
    EXPECT_TRUE(desc.bBold);

    ASSERT_TRUE(SFontDesc::Parse(L"face:微软雅黑,adding:-2", base, desc));
    EXPECT_EQ(desc.strFace, L"微软雅黑");
    EXPECT_EQ(desc.nSize, 13);

    ASSERT_TRUE(SFontDesc::Parse(L"bold:0,size:14,weight:9", base, desc));
    EXPECT_FALSE(desc.bBold);
    EXPECT_EQ(desc.nSize, 14);

    ASSERT_TRUE(SFontDesc::Parse(L"", base, desc));
    EXPECT_EQ(desc, base);
}

TEST(SFontDesc, MalformedDescriptorFailsWithoutTouchingTheResult) {
    SFontDesc base;
    SFontDesc desc;
    desc.nSize = 77;
    for (const wchar_t* psz :
         {L"size:abc", L"size:", L"adding:-20", L"size:0", L"bold:yes", L"face"}) {
        EXPECT_FALSE(SFontDesc::Parse(psz, base, desc))
            << testing::PrintToString(std::wstring(psz));
        EXPECT_EQ(desc.nSize, 77);
    }
}

TEST(SFontDesc, ToStringRoundTrips) {
    SFontDesc desc;
    desc.strFace = L"微软雅黑";
    desc.nSize = 16;
    desc.bUnderline = true;
    SFontDesc back;
    ASSERT_TRUE(SFontDesc::Parse(desc.ToString(), SFontDesc(), back));
    EXPECT_EQ(back, desc);
}
