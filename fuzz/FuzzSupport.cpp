#include "fuzz/FuzzSupport.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

// Part of the sanitizer runtime when one is linked: prints to its report
// stream, which libFuzzer keeps open when it closes the target's stderr.
extern "C" __attribute__((weak)) void __sanitizer_report_error_summary(const char* pszSummary);

// The layout target draws text: fontconfig keeps its configuration for the
// life of the process (Pango's font map holds it), and Pango starts it on a
// thread of its own behind locks the race detector cannot see.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
extern "C" const char* __tsan_default_suppressions() {
    return "race:libfontconfig.so\n";
}

void FuzzFail(const char* pszWhat, const char* pszFile, int nLine) {
    char szMsg[1024];
    std::snprintf(szMsg, sizeof szMsg, "FuzzCheck failed: %s at %s:%d", pszWhat, pszFile, nLine);
    std::fprintf(stderr, "%s\n", szMsg);
    if (__sanitizer_report_error_summary) {
        __sanitizer_report_error_summary(szMsg);
    }
    std::abort();
}

std::string_view FuzzTakeField(std::string_view& str, char chSep) {
    size_t nPos = str.find(chSep);
    std::string_view field = str.substr(0, nPos);
    str = nPos == std::string_view::npos ? std::string_view() : str.substr(nPos + 1);
    return field;
}

std::wstring FuzzWideUnits(std::string_view bytes) {
    std::wstring out(bytes.size() / 4, L'\0');
    std::memcpy(out.data(), bytes.data(), out.size() * 4);
    return out;
}

namespace {
struct CScratch {
    std::string strPath;
    CScratch() {
        const char* pszTmp = std::getenv("TMPDIR");
        std::string strTemplate =
            std::string(pszTmp && *pszTmp ? pszTmp : "/tmp") + "/tovadoc-fuzz-XXXXXX";
        if (mkdtemp(strTemplate.data())) {
            strPath = strTemplate;
        } else {
            std::perror("FuzzScratchDir mkdtemp");
            std::abort();
        }
    }
    ~CScratch() { FuzzRemoveTree(strPath); }
};
}  // namespace

const std::string& FuzzScratchDir() {
    static CScratch s_scratch;
    return s_scratch.strPath;
}

bool FuzzRemoveTree(const std::string& strPath) {
    std::error_code ec;
    std::filesystem::remove_all(strPath, ec);
    return !ec;
}
