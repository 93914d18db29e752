#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "platform/WriteLog.h"
#include "support/StderrCapture.h"

using testsupport::StderrCapture;

TEST(WriteLog, StampMessageAndLineFeed) {
    StderrCapture capture;
    WriteLog(L"%s 安装step=%d", L"CInstallMgr::DownNetFile", 20);
    std::string text = capture.Text();
    std::regex line(
        R"(^\[\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} (\d{1,3})\] CInstallMgr::DownNetFile 安装step=20\n$)");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(text, m, line)) << text;
    // Milliseconds carry no leading zeros.
    EXPECT_TRUE(m[1].str() == "0" || m[1].str()[0] != '0') << m[1];
}

TEST(WriteLog, MessageOf4095CharactersIsWholeAndLongerIsCut) {
    {
        StderrCapture capture;
        std::wstring exact(4095, L'x');
        WriteLog(L"%s", exact.c_str());
        std::string text = capture.Text();
        size_t start = text.find("] ") + 2;
        EXPECT_EQ(text.substr(start), std::string(4095, 'x') + "\n");
    }
    {
        StderrCapture capture;
        std::wstring longer(5000, L'y');
        WriteLog(L"%s", longer.c_str());
        std::string text = capture.Text();
        size_t start = text.find("] ") + 2;
        EXPECT_EQ(text.substr(start), std::string(4095, 'y') + "\n");
    }
}

TEST(WriteLogA, BracketsWithoutStampOrLineFeed) {
    {
        StderrCapture capture;
        WriteLogA("%s", "a");
        EXPECT_EQ(capture.Text(), "[a]");
    }
    {
        StderrCapture capture;
        WriteLogA("curl_easy_init() failed: %d\n", 2);
        EXPECT_EQ(capture.Text(), "[curl_easy_init() failed: 2\n]");
    }
    {
        StderrCapture capture;
        std::string longer(2000, 'z');
        WriteLogA("%s", longer.c_str());
        EXPECT_EQ(capture.Text(), "[" + std::string(1023, 'z') + "]");
    }
}
