#include <gtest/gtest.h>

#include <string>

#include "RecordingSink.h"
#include "XTestHelpers.h"
#include "toolkit/host/CGtkHostBackend.h"
#include "toolkit/host/SGtkEdit.h"

using namespace SOUI;
using gtkhosttest::RecordingSink;
using gtkhosttest::WaitFor;
using gtkhosttest::XDoTool;

namespace {

constexpr int kLeft = 320;
constexpr int kTop = 240;

class NativeEdit : public testing::Test {
protected:
    void SetUp() override {
        std::string strReason;
        if (!gtkhosttest::OpenDisplayOrSkipReason(strReason))
            GTEST_SKIP() << strReason;
        m_sink.m_nWidth = 300;
        m_sink.m_nHeight = 120;
        HostWindowParams params;
        params.nWidth = 300;
        params.nHeight = 120;
        ASSERT_TRUE(m_backend.Create(&m_sink, params, nullptr));
        m_backend.GetNativeWindow().Move(kLeft, kTop);
        HostEditParams edit;
        edit.rc = HostRect{20, 40, 220, 64};
        edit.strText = L"/opt/Tovadoc";
        edit.strFontFace = L"微软雅黑";
        edit.nFontSize = 13;
        edit.crText = 0x000000ff;
        edit.crBackground = 0xffffffff;
        m_nEdit = m_backend.CreateEdit(edit);
        ASSERT_GT(m_nEdit, 0);
        m_backend.Show(true);
        ASSERT_TRUE(WaitFor([&] { return m_sink.m_nPaints > 0; }));
    }

    std::string Coord(int n) { return std::to_string(n); }

    RecordingSink m_sink;
    CGtkHostBackend m_backend;
    int m_nEdit = 0;
};

TEST_F(NativeEdit, LiesOverTheControlRectangleWithTheModelsText) {
    SGtkEdit* pEdit = m_backend.GetNativeWindow().GetEdit(m_nEdit);
    ASSERT_NE(pEdit, nullptr);
    GtkAllocation alloc;
    ASSERT_TRUE(WaitFor([&] {
        gtk_widget_get_allocation(pEdit->GetWidget(), &alloc);
        return alloc.width == 200;
    }));
    EXPECT_EQ(alloc.x, 20);
    EXPECT_EQ(alloc.y, 40);
    EXPECT_EQ(alloc.height, 24);
    EXPECT_EQ(m_backend.GetEditText(m_nEdit), L"/opt/Tovadoc");
    // The model setting text is not echoed back as a user change.
    m_backend.SetEditText(m_nEdit, L"D:\\安装");
    EXPECT_EQ(m_backend.GetEditText(m_nEdit), L"D:\\安装");
    EXPECT_EQ(m_sink.m_nChangedEdit, 0);
    m_backend.MoveEdit(m_nEdit, HostRect{30, 70, 130, 90});
    ASSERT_TRUE(WaitFor([&] {
        gtk_widget_get_allocation(pEdit->GetWidget(), &alloc);
        return alloc.x == 30 && alloc.y == 70;
    }));
    EXPECT_EQ(alloc.width, 100);
    m_backend.ShowEdit(m_nEdit, false);
    EXPECT_FALSE(gtk_widget_get_visible(pEdit->GetWidget()));
    EXPECT_EQ(m_backend.GetEditText(999), L"");
}

TEST_F(NativeEdit, TypingReachesTheModelAndReadsBack) {
    ASSERT_TRUE(XDoTool({"mousemove", Coord(kLeft + 100), Coord(kTop + 52), "click", "1"}));
    ASSERT_TRUE(WaitFor([&] { return m_sink.m_nFocusedEdit == m_nEdit; }));
    ASSERT_TRUE(XDoTool({"key", "End"}));
    ASSERT_TRUE(XDoTool({"type", "/Apps"}));
    ASSERT_TRUE(WaitFor([&] { return m_sink.m_strEditText == L"/opt/Tovadoc/Apps"; }))
        << "edit holds: "
        << gtk_entry_get_text(GTK_ENTRY(m_backend.GetNativeWindow().GetEdit(m_nEdit)->GetWidget()));
    EXPECT_EQ(m_sink.m_nChangedEdit, m_nEdit);
    EXPECT_EQ(m_backend.GetEditText(m_nEdit), L"/opt/Tovadoc/Apps");
    // Printable keys stay in the edit; Tab goes to the model for its focus order.
    EXPECT_TRUE(m_sink.m_keys.empty());
    ASSERT_TRUE(XDoTool({"key", "Tab"}));
    ASSERT_TRUE(WaitFor([&] { return !m_sink.m_keys.empty(); }));
    EXPECT_EQ(m_sink.m_keys[0].first, kHostKeyTab);
    EXPECT_EQ(m_backend.GetEditText(m_nEdit), L"/opt/Tovadoc/Apps");
}

TEST_F(NativeEdit, APressOnADrawnControlTakesTheKeyboardFromTheEdit) {
    m_backend.FocusEdit(m_nEdit);
    SGtkEdit* pEdit = m_backend.GetNativeWindow().GetEdit(m_nEdit);
    ASSERT_TRUE(XDoTool({"mousemove", Coord(kLeft + 100), Coord(kTop + 52), "click", "1"}));
    ASSERT_TRUE(WaitFor([&] { return pEdit->HasFocus(); }));
    m_sink.m_mice.clear();
    ASSERT_TRUE(XDoTool({"mousemove", Coord(kLeft + 250), Coord(kTop + 100), "click", "1"}));
    ASSERT_TRUE(WaitFor([&] { return m_sink.HasMouse('d', 1); }));
    EXPECT_FALSE(pEdit->HasFocus());
    ASSERT_TRUE(XDoTool({"key", "space"}));
    ASSERT_TRUE(WaitFor([&] { return !m_sink.m_keys.empty(); }));
    EXPECT_EQ(m_sink.m_keys[0].first, kHostKeySpace);
    EXPECT_EQ(m_backend.GetEditText(m_nEdit), L"/opt/Tovadoc");
    // Focusing no edit by ID is how the model takes the keyboard back too.
    m_backend.FocusEdit(m_nEdit);
    EXPECT_TRUE(pEdit->HasFocus());
    m_backend.FocusEdit(0);
    EXPECT_FALSE(pEdit->HasFocus());
}

}  // namespace
