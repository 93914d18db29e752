// The off-screen backend against a recording sink: what a host window
// relies on from any backend.
#include <gtest/gtest.h>

#include <vector>

#include "toolkit/window/COffscreenBackend.h"

using namespace SOUI;

namespace {
class CRecordingSink : public IHostBackendSink {
public:
    void OnBackendPaint(cairo_t* cr, const HostRect& rc) override {
        m_paints.push_back(rc);
        cairo_set_source_rgba(cr, 1, 0, 0, 1);
        cairo_paint(cr);
    }
    void OnBackendMouseMove(int, int, unsigned) override { ++m_nInput; }
    void OnBackendMouseDown(int, int, int, unsigned) override { ++m_nInput; }
    void OnBackendMouseUp(int, int, int, unsigned) override { ++m_nInput; }
    void OnBackendMouseLeave() override { ++m_nInput; }
    void OnBackendMouseWheel(int, int, int, unsigned) override { ++m_nInput; }
    void OnBackendKeyDown(unsigned, unsigned) override { ++m_nInput; }
    void OnBackendCloseRequest() override { ++m_nCloses; }
    void OnBackendDestroyed() override { ++m_nDestroyed; }
    void OnBackendSize(int nWidth, int nHeight) override { m_sizes.push_back({nWidth, nHeight}); }
    void OnBackendEditChanged(int, const std::wstring& strText) override { m_strEdit = strText; }
    void OnBackendEditFocus(int) override {}

    std::vector<HostRect> m_paints;
    std::vector<std::pair<int, int>> m_sizes;
    std::wstring m_strEdit;
    int m_nInput = 0;
    int m_nCloses = 0;
    int m_nDestroyed = 0;
};

HostWindowParams Params(int nWidth, int nHeight) {
    HostWindowParams params;
    params.nWidth = nWidth;
    params.nHeight = nHeight;
    return params;
}
}  // namespace

TEST(OffscreenBackend, PaintsOnlyWhatIsInvalid) {
    CRecordingSink sink;
    COffscreenBackend backend;
    ASSERT_TRUE(backend.Create(&sink, Params(100, 50), nullptr));
    backend.Update();
    ASSERT_EQ(sink.m_paints.size(), 1u);
    EXPECT_EQ(sink.m_paints[0].right, 100);
    backend.Update();
    EXPECT_EQ(sink.m_paints.size(), 1u);  // nothing new to paint
    backend.Invalidate({10, 10, 20, 20});
    backend.Invalidate({90, 40, 300, 300});  // clipped to the window
    cairo_surface_t* pSurface = backend.GetSurface();
    ASSERT_EQ(sink.m_paints.size(), 2u);
    EXPECT_EQ(sink.m_paints[1].left, 10);
    EXPECT_EQ(sink.m_paints[1].right, 100);
    EXPECT_EQ(sink.m_paints[1].bottom, 50);
    EXPECT_EQ(cairo_image_surface_get_width(pSurface), 100);
}

TEST(OffscreenBackend, SizesPlacesAndRejectsBadSizes) {
    CRecordingSink sink;
    COffscreenBackend backend;
    EXPECT_FALSE(backend.Create(&sink, Params(0, 50), nullptr));
    EXPECT_FALSE(backend.Create(&sink, Params(100, 100000), nullptr));
    EXPECT_FALSE(backend.IsCreated());
    ASSERT_TRUE(backend.Create(&sink, Params(300, 160), nullptr));
    backend.Center(nullptr);
    EXPECT_EQ(backend.GetPosX(), (COffscreenBackend::kScreenWidth - 300) / 2);
    EXPECT_EQ(backend.GetPosY(), (COffscreenBackend::kScreenHeight - 160) / 2);
    backend.Resize(303, 200);
    ASSERT_EQ(sink.m_sizes.size(), 1u);
    EXPECT_EQ(sink.m_sizes[0], std::make_pair(303, 200));
    backend.Resize(303, 200);
    EXPECT_EQ(sink.m_sizes.size(), 1u);
    int nW = 0, nH = 0;
    backend.GetSize(nW, nH);
    EXPECT_EQ(nW, 303);
    EXPECT_EQ(nH, 200);
}

TEST(OffscreenBackend, InsensitiveWindowTakesNoInput) {
    CRecordingSink sink;
    COffscreenBackend backend;
    ASSERT_TRUE(backend.Create(&sink, Params(100, 50), nullptr));
    int nEdit = backend.CreateEdit(HostEditParams());
    backend.SetSensitive(false);
    backend.Click(5, 5);
    backend.KeyDown(kHostKeyTab);
    backend.RequestClose();
    backend.TypeIntoEdit(nEdit, L"x");
    EXPECT_EQ(sink.m_nInput, 0);
    EXPECT_EQ(sink.m_nCloses, 0);
    EXPECT_EQ(sink.m_strEdit, L"");
    backend.SetSensitive(true);
    backend.Click(5, 5);
    backend.TypeIntoEdit(nEdit, L"x");
    EXPECT_EQ(sink.m_nInput, 3);
    EXPECT_EQ(sink.m_strEdit, L"x");
}

TEST(OffscreenBackend, DestroyReportsOnceAndAnEarlyEndReturnsAtOnce) {
    CRecordingSink sink;
    COffscreenBackend backend;
    ASSERT_TRUE(backend.Create(&sink, Params(100, 50), nullptr));
    backend.EndModalLoop(7);  // before the run: the run returns at once
    EXPECT_EQ(backend.RunModalLoop(nullptr), 7);
    backend.Destroy();
    backend.Destroy();
    EXPECT_EQ(sink.m_nDestroyed, 1);
    EXPECT_FALSE(backend.IsCreated());
    EXPECT_EQ(backend.GetSurface(), nullptr);
}
