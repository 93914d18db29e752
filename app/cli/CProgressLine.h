#pragma once
// What install-cli shows of a run. On a terminal: one line redrawn in place,
// with the percentage, the stage and, while a download runs, its bytes and
// speed. Anywhere else (a pipe, a file): one line per stage, so a
// download's progress events do not flood a log.
#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <string>
#include <utility>

class CProgressLine {
public:
    using Clock = std::chrono::steady_clock;

    // Downloads are watched as the "*.temp" files they grow in downloadDir.
    CProgressLine(FILE* pOut, bool bTerminal, std::filesystem::path downloadDir);

    // strText: the stage's status line as the window would show it.
    void OnEvent(int nPercent, int nState, const std::string& strText);
    // Samples the download in progress; a terminal's line is redrawn.
    void OnTick(Clock::time_point now);
    // Ends the progress line with a line break.
    void Finish();
    bool IsTerminal() const { return m_bTerminal; }

    // "[ 57%] step  1.5 MiB  3.2 MiB/s", cut to nColumns terminal columns
    // (wide characters take two); no bytes part when nBytes < 0, no speed
    // when dBytesPerSecond < 0.
    static std::string Format(int nPercent, const std::string& strStep, long long nBytes,
                              double dBytesPerSecond, int nColumns);
    // "980 B", "15.0 KiB", "1.5 MiB".
    static std::string Size(double dBytes);

private:
    void Draw();

    FILE* m_pOut;
    bool m_bTerminal;
    std::filesystem::path m_downloadDir;
    int m_nPercent = 0;
    std::string m_strStep;
    long long m_nBytes = -1;
    double m_dSpeed = -1;
    // (time, bytes) of the last second of the current download.
    std::deque<std::pair<Clock::time_point, long long>> m_samples;
    bool m_bDrawn = false;
    // The stage of the last line written off a terminal.
    std::string m_strLastStage;
    int m_nLastState = 0;
};
