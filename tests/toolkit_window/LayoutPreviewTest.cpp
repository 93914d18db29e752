// The preview tool as a program: a real child process writing real PNGs.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cairo.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ToolkitTestEnv.h"
#include "tests/support/EdgeProbe.h"
#include "tests/support/TempDir.h"

namespace {
std::filesystem::path ToolPath() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "layout-preview";
}

int RunTool(const std::string& strArgs) {
    // The child is a sanitized program too when the tests are.
    std::string strEnv =
        "LSAN_OPTIONS=suppressions=" TEST_SUPPRESSIONS_DIR
        "/lsan.supp TSAN_OPTIONS='halt_on_error=1 suppressions=" TEST_SUPPRESSIONS_DIR
        "/tsan.supp' ";
    std::string strCmd = strEnv + "'" + ToolPath().string() + "' " + strArgs + " 2>/dev/null";
    int nStatus = std::system(strCmd.c_str());
    return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
}

struct Png {
    int nWidth = 0;
    int nHeight = 0;
    cairo_surface_t* pSurface = nullptr;
    explicit Png(const std::filesystem::path& file) {
        pSurface = cairo_image_surface_create_from_png(file.c_str());
        if (cairo_surface_status(pSurface) == CAIRO_STATUS_SUCCESS) {
            nWidth = cairo_image_surface_get_width(pSurface);
            nHeight = cairo_image_surface_get_height(pSurface);
        }
    }
    ~Png() { cairo_surface_destroy(pSurface); }
    uint32_t At(int x, int y) const { return ProbeSurface(pSurface, x, y); }
};
}  // namespace

TEST(LayoutPreview, RendersEveryWindowAtItsSize) {
    ASSERT_TRUE(std::filesystem::exists(ToolPath()));
    testsupport::TempDir dir;
    struct Case {
        const char* pszArgs;
        int nWidth, nHeight;
    } cases[] = {
        {"LAYOUT:XML_MAINWND --page 0 --lang zh", 806, 488},
        {"LAYOUT:XML_MAINWND --page 1 --lang en", 806, 488},
        {"LAYOUT:XML_MAINWND --page 2 --lang none", 806, 488},
        {"LAYOUT:XML_MSGBOX_DLG --lang en", 300, 160},
        {"LAYOUT:XML_PROTOCOLDLG_WND", 660, 350},
    };
    int i = 0;
    for (const Case& c : cases) {
        std::filesystem::path out = dir / ("out" + std::to_string(i++) + ".png");
        ASSERT_EQ(RunTool(std::string(c.pszArgs) + " -o '" + out.string() + "'"), 0) << c.pszArgs;
        Png png(out);
        EXPECT_EQ(png.nWidth, c.nWidth) << c.pszArgs;
        EXPECT_EQ(png.nHeight, c.nHeight) << c.pszArgs;
    }
}

TEST(LayoutPreview, PagesDiffer) {
    testsupport::TempDir dir;
    ASSERT_EQ(RunTool("LAYOUT:XML_MAINWND --page 0 -o '" + (dir / "p0.png").string() + "'"), 0);
    ASSERT_EQ(RunTool("LAYOUT:XML_MAINWND --page 1 -o '" + (dir / "p1.png").string() + "'"), 0);
    Png p0(dir / "p0.png"), p1(dir / "p1.png");
    ASSERT_EQ(p0.nWidth, 806);
    ASSERT_EQ(p1.nWidth, 806);
    // Page 0 has the Install button where page 1 shows its carousel picture
    // only above; the button's middle differs.
    EXPECT_FALSE(NearColor(p0.At(345, 310), p1.At(345, 310), 8));
    // The frame around both is the same.
    EXPECT_TRUE(NearColor(p0.At(1, 200), p1.At(1, 200), 0));
}

// The logo's document sheet: its left edge crossed at logo row 45, its top
// edge at logo column 70 (window units; the logo sits at 328,81).
std::vector<uint32_t> LogoEdge(const Png& png, int nScale, bool bVertical) {
    std::vector<uint32_t> line;
    for (int i = 0; i < 10 * nScale; ++i) {
        int x = bVertical ? 398 * nScale : 378 * nScale + i;
        int y = bVertical ? 96 * nScale + i : 131 * nScale;
        line.push_back(png.At(x, y) & 0xffffff);
    }
    return line;
}

TEST(LayoutPreview, AtScaleTwoTheArtworkIsAsSharpAsAtScaleOne) {
    testsupport::TempDir dir;
    for (int nScale : {1, 2}) {
        std::filesystem::path out = dir / ("scale" + std::to_string(nScale) + ".png");
        ASSERT_EQ(RunTool("LAYOUT:XML_MAINWND --page 0 --scale " + std::to_string(nScale) +
                          " -o '" + out.string() + "'"),
                  0);
        Png png(out);
        ASSERT_EQ(png.nWidth, 806 * nScale);
        ASSERT_EQ(png.nHeight, 488 * nScale);
        for (bool bVertical : {false, true}) {
            std::vector<uint32_t> line = LogoEdge(png, nScale, bVertical);
            // Blue tile on one side, white sheet on the other...
            EXPECT_FALSE(NearColor(line.front(), line.back(), 64)) << nScale;
            // ...and no enlarged pixels between them: the art drawn for this scale.
            EXPECT_EQ(testsupport::SoftEdgeWidth(line), 0)
                << "scale " << nScale << " vertical " << bVertical;
        }
    }
}

TEST(LayoutPreview, BadArgumentsFail) {
    testsupport::TempDir dir;
    std::string strOut = " -o '" + (dir / "x.png").string() + "'";
    EXPECT_EQ(RunTool(""), 2);
    EXPECT_EQ(RunTool("LAYOUT:XML_MAINWND"), 2);  // no output
    EXPECT_EQ(RunTool("LAYOUT:XML_MAINWND --lang fr" + strOut), 2);
    EXPECT_EQ(RunTool("LAYOUT:XML_MAINWND --page x" + strOut), 2);
    EXPECT_EQ(RunTool("LAYOUT:XML_MAINWND --scale 0" + strOut), 2);
    EXPECT_EQ(RunTool("LAYOUT:NO_SUCH" + strOut), 1);
    EXPECT_EQ(RunTool("LAYOUT:XML_MAINWND --page 3" + strOut), 1);
    EXPECT_EQ(RunTool("LAYOUT:XML_MSGBOX_DLG --page 0" + strOut), 1);  // no tab control
    EXPECT_EQ(RunTool("LAYOUT:XML_MAINWND -o /no/such/dir/x.png"), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.png"));
}
