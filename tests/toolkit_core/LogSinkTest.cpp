#include <gtest/gtest.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "support/StderrCapture.h"
#include "toolkit/core/SLog.h"

namespace {

std::vector<std::string> g_vecSunk;

void WideSink(const wchar_t* format, va_list args) {
    wchar_t message[256];
    vswprintf(message, 256, format, args);
    std::string strLine;
    for (const wchar_t* p = message; *p; ++p)
        strLine += static_cast<char>(*p);
    g_vecSunk.push_back("W:" + strLine);
}

void NarrowSink(const char* format, va_list args) {
    char message[256];
    vsnprintf(message, sizeof(message), format, args);
    g_vecSunk.push_back(std::string("A:") + message);
}

// Each entry reaches the connected sink alone, or standard error alone once
// none is connected; never both, never neither.
TEST(SLog, EntriesGoToTheConnectedSinkOrToStandardError) {
    const struct {
        bool bConnected;
        bool bWide;
        const char* szSunk;
        const char* szStderr;
    } kCases[] = {
        {true, true, "W:SSkinPool::Load 7", nullptr},
        {true, false, "A:SSkinPool::Load 7", nullptr},
        {false, true, nullptr, "SSkinPool::Load 7\n"},
        {false, false, nullptr, "[SSkinPool::Load 7]\n"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.bConnected << c.bWide);
        g_vecSunk.clear();
        SOUI::SetLogSink(c.bConnected ? &WideSink : nullptr, c.bConnected ? &NarrowSink : nullptr);
        std::string strErr;
        {
            testsupport::StderrCapture capture;
            if (c.bWide)
                SOUI::SLog(L"%ls %d", L"SSkinPool::Load", 7);
            else
                SOUI::SLogA("%s %d", "SSkinPool::Load", 7);
            strErr = capture.Text();
        }
        SOUI::SetLogSink(nullptr, nullptr);
        if (c.szSunk) {
            ASSERT_EQ(g_vecSunk.size(), 1u);
            EXPECT_EQ(g_vecSunk[0], c.szSunk);
            EXPECT_EQ(strErr, "");
        } else {
            EXPECT_TRUE(g_vecSunk.empty());
            ASSERT_GE(strErr.size(), std::string(c.szStderr).size());
            EXPECT_EQ(strErr.substr(strErr.size() - std::string(c.szStderr).size()), c.szStderr);
        }
    }
}

}  // namespace
