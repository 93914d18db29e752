#include <gtest/gtest.h>

#include "toolkit/layout/SAnchorLayout.h"
#include "toolkit/layout/SLayoutPos.h"

using namespace SOUI;

TEST(LayoutPos, ItemForms) {
    PosItem item;
    ASSERT_TRUE(ParsePosItem(L"12", item));
    EXPECT_EQ(item.ref, PosRef::Start);
    EXPECT_EQ(item.nValue, 12);
    ASSERT_TRUE(ParsePosItem(L"-30", item));
    EXPECT_EQ(item.ref, PosRef::End);
    EXPECT_EQ(item.nValue, 30);
    // "-0" is the far edge, not the near one.
    ASSERT_TRUE(ParsePosItem(L"-0", item));
    EXPECT_EQ(item.ref, PosRef::End);
    EXPECT_EQ(item.nValue, 0);
    ASSERT_TRUE(ParsePosItem(L"|-150", item));
    EXPECT_EQ(item.ref, PosRef::Center);
    EXPECT_EQ(item.nValue, -150);
    ASSERT_TRUE(ParsePosItem(L"[20", item));
    EXPECT_EQ(item.ref, PosRef::PrevEnd);
    ASSERT_TRUE(ParsePosItem(L"{7", item));
    EXPECT_EQ(item.ref, PosRef::PrevStart);
    EXPECT_EQ(item.nValue, 7);
    ASSERT_TRUE(ParsePosItem(L" @-1 ", item));
    EXPECT_TRUE(item.IsContentSize());
    ASSERT_TRUE(ParsePosItem(L"@30", item));
    EXPECT_FALSE(item.IsContentSize());
    EXPECT_EQ(item.nValue, 30);
}

TEST(LayoutPos, MalformedIsRejected) {
    PosItem item;
    for (const wchar_t* psz :
         {L"", L"x", L"@", L"|", L"@-2", L"1.5", L"12px", L"--1", L"12345678"}) {
        EXPECT_FALSE(ParsePosItem(psz, item)) << psz;
    }
    SLayoutPos pos;
    for (const wchar_t* psz : {L"1,2,3", L"1", L"1,2,3,4,5", L"a,b", L"@10,@10", L"1,,2,3", L""}) {
        EXPECT_FALSE(pos.Parse(psz));
        EXPECT_EQ(pos.nCount, 0) << psz;
    }
}

TEST(LayoutPos, ToStringRoundTrips) {
    SLayoutPos pos;
    ASSERT_TRUE(pos.Parse(L"|-150,[20,@300,@20"));
    EXPECT_EQ(pos.ToString(), L"|-150,[20,@300,@20");
    ASSERT_TRUE(pos.Parse(L"-0,{7,-0,@-1"));
    EXPECT_EQ(pos.ToString(), L"-0,{7,-0,@-1");
}

namespace {
CRect Calc(const wchar_t* pszPos, CRect rcParent, CRect rcPrev, CSize szFixed = CSize(-1, -1),
           CSize szContent = CSize(0, 0)) {
    SLayoutPos pos;
    EXPECT_TRUE(pos.Parse(pszPos)) << pszPos;
    return SAnchorLayout::CalcRect(pos, rcParent, rcPrev, szFixed,
                                   [szContent](int) { return szContent; });
}
}  // namespace

TEST(LayoutPos, GeometryAgainstParentAndSibling) {
    const CRect rcParent(10, 20, 410, 220);  // centre (210, 120)
    const CRect rcPrev(50, 60, 150, 90);
    EXPECT_EQ(Calc(L"0,0,-0,-0", rcParent, rcPrev), rcParent);
    EXPECT_EQ(Calc(L"5,5,-5,-10", rcParent, rcPrev), CRect(15, 25, 405, 210));
    EXPECT_EQ(Calc(L"|-50,|-10,@100,@20", rcParent, rcPrev), CRect(160, 110, 260, 130));
    EXPECT_EQ(Calc(L"[7,{7,@11,@11", rcParent, rcPrev), CRect(157, 67, 168, 78));
    EXPECT_EQ(Calc(L"{0,[5,-0,@10", rcParent, rcPrev), CRect(50, 95, 410, 105));
    // Two values: the size attribute, else the content.
    EXPECT_EQ(Calc(L"270,352", rcParent, rcPrev, CSize(144, 32)), CRect(280, 372, 424, 404));
    EXPECT_EQ(Calc(L"|-140,100", rcParent, rcPrev, CSize(-1, -1), CSize(77, 21)),
              CRect(70, 120, 147, 141));
    EXPECT_EQ(Calc(L"20,20,@-1,@-1", rcParent, rcPrev, CSize(-1, -1), CSize(40, 18)),
              CRect(30, 40, 70, 58));
    // Without a previous sibling, "[" counts from the parent's top left.
    const CRect rcNone(rcParent.left, rcParent.top, rcParent.left, rcParent.top);
    EXPECT_EQ(Calc(L"0,[0,-0,-50", rcParent, rcNone), CRect(10, 20, 410, 170));
}

TEST(LayoutPos, InvertedEdgesCollapse) {
    const CRect rcParent(0, 0, 100, 50);
    CRect rc = Calc(L"90,40,-50,-30", rcParent, CRect());
    EXPECT_EQ(rc.Width(), 0);
    EXPECT_EQ(rc.Height(), 0);
    EXPECT_EQ(rc.left, 90);
}
