#include "app/cli/CProgressLine.h"

#include <glib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <system_error>

namespace fs = std::filesystem;

namespace {

int TerminalColumns(FILE* pOut) {
    struct winsize ws {};
    if (ioctl(fileno(pOut), TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0)
        return ws.ws_col;
    return 80;
}

// The first characters of strText that fit in nColumns terminal columns.
std::string CutToColumns(const std::string& strText, int nColumns) {
    if (!g_utf8_validate(strText.c_str(), static_cast<gssize>(strText.size()), nullptr))
        return strText.substr(0, static_cast<size_t>(std::max(nColumns, 0)));
    int nUsed = 0;
    const char* p = strText.c_str();
    for (; *p; p = g_utf8_next_char(p)) {
        gunichar c = g_utf8_get_char(p);
        int nWidth = g_unichar_iswide(c) ? 2 : g_unichar_iszerowidth(c) ? 0 : 1;
        if (nUsed + nWidth > nColumns)
            break;
        nUsed += nWidth;
    }
    return strText.substr(0, static_cast<size_t>(p - strText.c_str()));
}

}  // namespace

CProgressLine::CProgressLine(FILE* pOut, bool bTerminal, fs::path downloadDir)
    : m_pOut(pOut), m_bTerminal(bTerminal), m_downloadDir(std::move(downloadDir)) {}

std::string CProgressLine::Size(double dBytes) {
    char sz[32];
    if (dBytes < 1024)
        std::snprintf(sz, sizeof sz, "%.0f B", dBytes);
    else if (dBytes < 1024.0 * 1024)
        std::snprintf(sz, sizeof sz, "%.1f KiB", dBytes / 1024);
    else
        std::snprintf(sz, sizeof sz, "%.1f MiB", dBytes / (1024.0 * 1024));
    return sz;
}

std::string CProgressLine::Format(int nPercent, const std::string& strStep, long long nBytes,
                                  double dBytesPerSecond, int nColumns) {
    char szPercent[16];
    std::snprintf(szPercent, sizeof szPercent, "[%3d%%] ", nPercent);
    std::string strLine = szPercent + strStep;
    if (nBytes >= 0)
        strLine += "  " + Size(double(nBytes));
    if (nBytes >= 0 && dBytesPerSecond >= 0)
        strLine += "  " + Size(dBytesPerSecond) + "/s";
    return CutToColumns(strLine, nColumns);
}

void CProgressLine::Draw() {
    // Back to the line's start, the new text, the rest of the old one cleared.
    std::fprintf(
        m_pOut, "\r%s\033[K",
        Format(m_nPercent, m_strStep, m_nBytes, m_dSpeed, TerminalColumns(m_pOut) - 1).c_str());
    std::fflush(m_pOut);
    m_bDrawn = true;
}

void CProgressLine::OnEvent(int nPercent, int nState, const std::string& strText) {
    if (!m_bTerminal) {
        if (strText == m_strLastStage && nState == m_nLastState)
            return;
        m_strLastStage = strText;
        m_nLastState = nState;
        std::fprintf(m_pOut, "[%3d%%] %s\n", nPercent, strText.c_str());
        std::fflush(m_pOut);
        return;
    }
    m_nPercent = nPercent;
    m_strStep = strText;
    // Events come faster than ticks: the download part must not lag behind.
    OnTick(Clock::now());
}

void CProgressLine::OnTick(Clock::time_point now) {
    if (!m_bTerminal)
        return;
    // The newest partial download, if any.
    long long nBytes = -1;
    fs::file_time_type newest{};
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(m_downloadDir, ec)) {
        if (entry.path().extension() != ".temp" || !entry.is_regular_file(ec))
            continue;
        auto when = entry.last_write_time(ec);
        if (nBytes < 0 || when > newest) {
            newest = when;
            nBytes = static_cast<long long>(entry.file_size(ec));
        }
    }
    if (nBytes < 0 || (m_nBytes >= 0 && nBytes < m_nBytes)) {
        m_samples.clear();  // none running, or another one began
        m_dSpeed = -1;
    }
    if (nBytes >= 0) {
        m_samples.emplace_back(now, nBytes);
        while (m_samples.size() > 2 && now - m_samples.front().first > std::chrono::seconds(1))
            m_samples.pop_front();
        double dSeconds = std::chrono::duration<double>(now - m_samples.front().first).count();
        if (dSeconds > 0.1)
            m_dSpeed = double(nBytes - m_samples.front().second) / dSeconds;
    }
    m_nBytes = nBytes;
    Draw();
}

void CProgressLine::Finish() {
    if (m_bTerminal && m_bDrawn) {
        m_nBytes = -1;
        Draw();
        std::fprintf(m_pOut, "\n");
        std::fflush(m_pOut);
        m_bDrawn = false;
    }
}
