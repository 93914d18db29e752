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
    for (bool bConnected : {true, false}) {
        g_vecSunk.clear();
        SOUI::SetLogSink(bConnected ? &WideSink : nullptr, bConnected ? &NarrowSink : nullptr);
        std::string strErr;
        {
            testsupport::StderrCapture capture;
            SOUI::SLog(L"%ls %d", L"SSkinPool::Load", 7);
            SOUI::SLogA("%s %d", "SSkinPool::Load", 8);
            strErr = capture.Text();
        }
        SOUI::SetLogSink(nullptr, nullptr);
        if (bConnected) {
            EXPECT_EQ(g_vecSunk,
                      (std::vector<std::string>{"W:SSkinPool::Load 7", "A:SSkinPool::Load 8"}));
            EXPECT_EQ(strErr, "");
        } else {
            EXPECT_TRUE(g_vecSunk.empty());
            EXPECT_NE(strErr.find("] SSkinPool::Load 7\n[SSkinPool::Load 8]\n"), std::string::npos)
                << strErr;
        }
    }
}

}  // namespace
