#include <gtest/gtest.h>

#include <string>

#include "RecordingSink.h"
#include "XTestHelpers.h"
#include "toolkit/host/CGtkHostBackend.h"

using namespace SOUI;
using gtkhosttest::RecordingSink;
using gtkhosttest::WaitFor;
using gtkhosttest::XDoTool;

namespace {

class GtkModalLoop : public testing::Test {
protected:
    void SetUp() override {
        std::string strReason;
        if (!gtkhosttest::OpenDisplayOrSkipReason(strReason))
            GTEST_SKIP() << strReason;
        m_ownerSink.m_nWidth = 400;
        m_ownerSink.m_nHeight = 300;
        ASSERT_TRUE(Open(m_owner, m_ownerSink, nullptr));
        m_owner.GetNativeWindow().Move(100, 100);
        m_owner.Show(true);
        ASSERT_TRUE(WaitFor([&] { return m_ownerSink.m_nPaints > 0; }));
        ASSERT_TRUE(Open(m_dialog, m_dialogSink, &m_owner));
        m_dialog.Center(&m_owner);
        m_dialog.Show(true);
    }

    bool Open(CGtkHostBackend& backend, RecordingSink& sink, IHostBackend* pOwner) {
        HostWindowParams params;
        params.nWidth = sink.m_nWidth;
        params.nHeight = sink.m_nHeight;
        params.bDialog = pOwner != nullptr;
        return backend.Create(&sink, params, pOwner);
    }

    // Runs fnInside from the nested loop once the dialog is on screen.
    static void DuringTheLoop(std::function<void()> fnInside) {
        auto* pTask = new std::function<void()>(std::move(fnInside));
        g_idle_add_full(
            G_PRIORITY_DEFAULT_IDLE,
            [](gpointer p) -> gboolean {
                (*static_cast<std::function<void()>*>(p))();
                return G_SOURCE_REMOVE;
            },
            pTask, [](gpointer p) { delete static_cast<std::function<void()>*>(p); });
    }

    RecordingSink m_ownerSink;
    RecordingSink m_dialogSink;
    CGtkHostBackend m_owner;
    CGtkHostBackend m_dialog;
};

TEST_F(GtkModalLoop, OwnerIsInsensitiveUntilTheCodeComesBack) {
    bool bOwnerWasSensitive = true;
    bool bModal = false;
    DuringTheLoop([&] {
        bOwnerWasSensitive = m_owner.IsSensitive();
        bModal = gtk_window_get_modal(GTK_WINDOW(m_dialog.GetNativeWindow().GetWidget()));
        // Presses on the owner go nowhere while the dialog runs.
        XDoTool({"mousemove", "120", "120", "click", "1"});
        WaitFor([&] { return false; }, 200);
        m_dialog.EndModalLoop(3);
    });
    EXPECT_EQ(m_dialog.RunModalLoop(&m_owner), 3);
    EXPECT_FALSE(bOwnerWasSensitive);
    EXPECT_TRUE(bModal);
    EXPECT_FALSE(m_ownerSink.HasMouse('d'));
    EXPECT_TRUE(m_owner.IsSensitive());
    // The window manager's close on the disabled owner is not honoured meanwhile.
    EXPECT_EQ(m_ownerSink.m_nCloseRequests, 0);
}

TEST_F(GtkModalLoop, EscapeReachesTheDialogWhichEndsTheLoop) {
    bool bEscaped = false;
    m_dialogSink.m_onKey = [&](unsigned nKey) {
        if (nKey == kHostKeyEscape) {
            bEscaped = true;
            m_dialog.EndModalLoop(2);
        }
    };
    DuringTheLoop([&] {
        // Keys sent before the server shows the dialog land elsewhere.
        WaitFor([&] { return gtkhosttest::IsShownByServer(m_dialog.GetNativeWindow().GetXid()); });
        int x = 0, y = 0;
        m_dialog.GetNativeWindow().GetPosition(x, y);
        XDoTool({"mousemove", std::to_string(x + 50), std::to_string(y + 50)});
        XDoTool({"key", "Escape"});
        // Fails rather than hangs when the key went astray.
        if (!WaitFor([&] { return bEscaped; }, 20000))
            m_dialog.EndModalLoop(-1);
    });
    EXPECT_EQ(m_dialog.RunModalLoop(&m_owner), 2);
    EXPECT_TRUE(m_owner.IsSensitive());
}

TEST_F(GtkModalLoop, EndBeforeRunReturnsAtOnceAndLoopsCanRunAgain) {
    m_dialog.EndModalLoop(7);
    EXPECT_EQ(m_dialog.RunModalLoop(&m_owner), 7);
    DuringTheLoop([&] { m_dialog.EndModalLoop(1); });
    EXPECT_EQ(m_dialog.RunModalLoop(&m_owner), 1);
    EXPECT_TRUE(m_owner.IsSensitive());
}

TEST_F(GtkModalLoop, ADialogDestroyedWithoutEndingStillReturns) {
    DuringTheLoop([&] { gtk_widget_destroy(m_dialog.GetNativeWindow().GetWidget()); });
    EXPECT_EQ(m_dialog.RunModalLoop(&m_owner), CGtkHostBackend::kModalWindowGone);
    EXPECT_EQ(m_dialogSink.m_nDestroyed, 1);
    EXPECT_TRUE(m_owner.IsSensitive());
}

TEST_F(GtkModalLoop, NestedDialogLeavesTheFirstOwnerDisabledUntilItsOwnEnd) {
    RecordingSink innerSink;
    CGtkHostBackend inner;
    ASSERT_TRUE(Open(inner, innerSink, &m_dialog));
    bool bOwnerDuringInner = true;
    bool bOwnerAfterInner = true;
    DuringTheLoop([&] {
        DuringTheLoop([&] {
            bOwnerDuringInner = m_owner.IsSensitive();
            inner.EndModalLoop(5);
        });
        EXPECT_EQ(inner.RunModalLoop(&m_dialog), 5);
        bOwnerAfterInner = m_owner.IsSensitive();
        EXPECT_TRUE(m_dialog.IsSensitive());
        m_dialog.EndModalLoop(4);
    });
    EXPECT_EQ(m_dialog.RunModalLoop(&m_owner), 4);
    EXPECT_FALSE(bOwnerDuringInner);
    EXPECT_FALSE(bOwnerAfterInner);
    EXPECT_TRUE(m_owner.IsSensitive());
}

}  // namespace
