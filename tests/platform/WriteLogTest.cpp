#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/WriteLog.h"
#include "support/StderrCapture.h"
#include "support/TempDir.h"

using testsupport::StderrCapture;

namespace {
// Checks "[Y-MM-DD hh:mm:ss ms] " at the start of text: the year and the
// milliseconds without leading zeros, every other field with two digits.
// Returns the length of the stamp, 0 when it does not match.
size_t StampLength(const std::string& text, int* pMilliseconds = nullptr) {
    size_t pos = 0;
    auto digits = [&](size_t minCount, size_t maxCount, bool noLeadingZero) -> int {
        size_t start = pos;
        while (pos < text.size() && isdigit(static_cast<unsigned char>(text[pos])) &&
               pos - start < maxCount)
            ++pos;
        size_t count = pos - start;
        if (count < minCount)
            return -1;
        if (noLeadingZero && count > 1 && text[start] == '0')
            return -1;
        return std::stoi(text.substr(start, count));
    };
    auto literal = [&](char c) { return pos < text.size() && text[pos++] == c; };
    if (!literal('[') || digits(4, 4, true) < 0 || !literal('-'))
        return 0;
    int month = digits(2, 2, false), day = (literal('-') ? digits(2, 2, false) : -1);
    if (month < 1 || month > 12 || day < 1 || day > 31 || !literal(' '))
        return 0;
    int hour = digits(2, 2, false), minute = (literal(':') ? digits(2, 2, false) : -1);
    int second = (literal(':') ? digits(2, 2, false) : -1);
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 60)
        return 0;
    if (!literal(' '))
        return 0;
    int ms = digits(1, 3, true);
    if (ms < 0 || !literal(']') || !literal(' '))
        return 0;
    if (pMilliseconds)
        *pMilliseconds = ms;
    return pos;
}

}  // namespace

TEST(WriteLog, StampMessageAndLineFeed) {
    StderrCapture capture;
    WriteLog(L"%s 安装step=%d", L"CInstallMgr::DownNetFile", 20);
    std::string text = capture.Text();
    size_t stamp = StampLength(text);
    ASSERT_GT(stamp, 0u) << text;
    EXPECT_EQ(text.substr(stamp), "CInstallMgr::DownNetFile 安装step=20\n");
}

TEST(WriteLog, StampIsLocalTimeOfOutput) {
    time_t before = time(nullptr);
    StderrCapture capture;
    WriteLog(L"plain text without placeholders");
    time_t after = time(nullptr);
    std::string text = capture.Text();
    int ms = -1;
    size_t stamp = StampLength(text, &ms);
    ASSERT_GT(stamp, 0u) << text;
    EXPECT_GE(ms, 0);
    EXPECT_LE(ms, 999);
    EXPECT_EQ(text.substr(stamp), "plain text without placeholders\n");
    // The stamp's seconds are those of the call, in local time.
    bool matched = false;
    for (time_t t = before; t <= after && !matched; ++t) {
        tm local{};
        localtime_r(&t, &local);
        char expected[32];
        strftime(expected, sizeof(expected), "[%Y-%m-%d %H:%M:%S ", &local);
        matched = text.starts_with(expected);
    }
    EXPECT_TRUE(matched) << text;
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

TEST(WriteLogA, BracketsAndALineFeedWithoutStamp) {
    const std::pair<std::string, std::string> cases[] = {
        {"a", "[a]\n"},
        // A message's closing line feed ends the entry after the bracket.
        {"curl_easy_init() failed: 2\n", "[curl_easy_init() failed: 2]\n"},
        {"x \r\n", "[x ]\n"},
        {"two\nlines", "[two\\nlines]\n"},
        {std::string(2000, 'z'), "[" + std::string(1023, 'z') + "]\n"},
    };
    for (const auto& [message, expected] : cases) {
        StderrCapture capture;
        WriteLogA("%s", message.c_str());
        EXPECT_EQ(capture.Text(), expected);
    }
}

// Every entry is one whole line of its own: line breaks inside a message do
// not start a line, and entries of threads writing at once never mix.
TEST(WriteLog, EveryEntryIsOneWholeLine) {
    {
        StderrCapture capture;
        WriteLog(L"%s strResult=[%s] exitcode=[%d]", L"CInstallMgr::InstallFile",
                 L"line one\r\nline two\n", 3);
        const std::string text = capture.Text();
        const size_t stamp = StampLength(text);
        ASSERT_GT(stamp, 0u) << text;
        EXPECT_EQ(text.substr(stamp),
                  "CInstallMgr::InstallFile strResult=[line one\\r\\nline two\\n] exitcode=[3]\n");
    }
    StderrCapture capture;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 200; ++i) {
                if (t % 2)
                    WriteLog(L"%s %d %s", L"Writer::Wide", i, std::wstring(300, L'w').c_str());
                else
                    WriteLogA("Writer::Narrow %d %s", i, std::string(300, 'n').c_str());
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    std::istringstream lines(capture.Text());
    std::string line;
    int nLines = 0;
    while (std::getline(lines, line)) {
        ++nLines;
        if (line.starts_with("[Writer::Narrow ")) {
            EXPECT_TRUE(line.ends_with(std::string(300, 'n') + "]")) << line;
        } else {
            const size_t stamp = StampLength(line);
            ASSERT_GT(stamp, 0u) << line;
            EXPECT_TRUE(line.substr(stamp).starts_with("Writer::Wide ")) << line;
            EXPECT_TRUE(line.ends_with(std::string(300, 'w'))) << line;
        }
    }
    EXPECT_EQ(nLines, 800);
}

// Entries far longer than a pipe takes in one piece, written by several
// threads into a pipe whose reader is slow: each still comes out whole.
TEST(WriteLog, LongEntriesIntoAFullPipeNeverMix) {
    int fds[2];
    ASSERT_EQ(0, pipe(fds));
    const int nSaved = dup(STDERR_FILENO);
    dup2(fds[1], STDERR_FILENO);
    close(fds[1]);
    std::string text;
    std::thread reader([&text, fd = fds[0]] {
        char buf[512];
        for (ssize_t n; (n = read(fd, buf, sizeof(buf))) > 0;) {
            text.append(buf, static_cast<size_t>(n));
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
    });
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        // 3000 three-byte characters: about 9 KB an entry.
        writers.emplace_back([t] {
            for (int i = 0; i < 20; ++i)
                WriteLog(L"%s", std::wstring(3000, static_cast<wchar_t>(0x4E00 + t)).c_str());
        });
    }
    for (std::thread& writer : writers)
        writer.join();
    dup2(nSaved, STDERR_FILENO);
    close(nSaved);
    reader.join();
    close(fds[0]);
    std::istringstream lines(text);
    int nLines = 0;
    for (std::string line; std::getline(lines, line); ++nLines) {
        const size_t stamp = StampLength(line);
        ASSERT_GT(stamp, 0u) << line.substr(0, 80);
        std::string whole;
        for (int i = 0; i < 3000; ++i)
            whole += line.substr(stamp, 3);
        EXPECT_TRUE(line.substr(stamp) == whole) << "line " << nLines << " mixes entries";
    }
    EXPECT_EQ(80, nLines);
}
namespace {

// The log file of an archive run, in a child process: its standard error is
// the capture's, as a terminal would be.
TEST(WriteLog, LogFileTakesTheEntriesAndKeepsTheTerminalQuiet) {
    testsupport::TempDir tmp;
    testsupport::WriteFile(tmp / "target", "not a log");
    struct Case {
        const char* pszName;
        bool bKeepStderr;
        bool bLink;  // a link planted at the log's name
        bool bInFile, bLibraryInFile, bOnTerminal;
    } cases[] = {
        {"quiet", false, false, true, true, false},
        {"TOVADOC_DEBUG", true, false, true, false, true},
        {"link at the name", false, true, false, false, true},
    };
    for (const Case& c : cases) {
        const std::filesystem::path log = tmp / (std::string(c.pszName) + ".log");
        if (c.bLink) {
            std::filesystem::create_symlink(tmp / "target", log);
        } else {
            testsupport::WriteFile(log, "the run before\n");
            std::filesystem::permissions(log, std::filesystem::perms(0644));
        }
        StderrCapture capture;
        const pid_t pid = fork();
        if (pid == 0) {
            const bool bOpened = OpenLogFile(log.c_str(), c.bKeepStderr);
            WriteLogA("entry %d", 7);
            fprintf(stderr, "a library's own message\n");
            printf("a started program's output\n");
            fflush(stdout);
            _exit(bOpened ? 0 : 1);
        }
        int nStatus = 0;
        waitpid(pid, &nStatus, 0);
        EXPECT_EQ(WEXITSTATUS(nStatus), c.bLink ? 1 : 0) << c.pszName;
        const std::string strFile = testsupport::ReadFile(log);
        const std::string strTerminal = capture.Text();
        EXPECT_EQ(strFile.find("[entry 7]\n") != std::string::npos, c.bInFile) << c.pszName;
        EXPECT_EQ(strFile.find("own message") != std::string::npos, c.bLibraryInFile) << c.pszName;
        EXPECT_EQ(strFile.find("program's output") != std::string::npos, c.bLibraryInFile)
            << c.pszName;
        EXPECT_EQ(strTerminal.find("[entry 7]\n") != std::string::npos, c.bOnTerminal) << c.pszName;
        if (!c.bLink) {
            EXPECT_EQ(strFile.find("the run before"), std::string::npos) << c.pszName;
            struct stat st {};
            ASSERT_EQ(stat(log.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 07777, 0600u) << c.pszName;
        }
    }
    EXPECT_EQ(testsupport::ReadFile(tmp / "target"), "not a log");
}

}  // namespace
