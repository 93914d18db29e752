#include "platform/SystemInfo.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <vector>

#include "platform/TextConvert.h"
#include "platform/WriteLog.h"

bool IsVersionAtLeast(const COsFacts& facts, uint16_t major, uint16_t minor,
                      uint16_t servicePackMajor) {
    if (!facts.bVersionKnown)
        return false;
    if (facts.nMajor != major)
        return facts.nMajor > major;
    if (facts.nMinor != minor)
        return facts.nMinor > minor;
    return facts.nServicePackMajor >= servicePackMajor;
}

int DecideOsKind(const COsFacts& facts) {
    if (!facts.bWorkstation)
        return kOsKindServer;
    const bool b64 = facts.bNative64;
    if (IsVersionAtLeast(facts, 10, 0, 0))
        return b64 ? kOsKindWin10_64 : kOsKindWin10_32;
    if (IsVersionAtLeast(facts, 6, 3, 0))
        return b64 ? kOsKindWin81_64 : kOsKindWin81_32;
    if (IsVersionAtLeast(facts, 6, 2, 0))
        return b64 ? kOsKindWin8_64 : kOsKindWin8_32;
    if (IsVersionAtLeast(facts, 6, 1, 0))
        return b64 ? kOsKindWin7_64 : kOsKindWin7_32;
    if (IsVersionAtLeast(facts, 6, 0, 0))
        return b64 ? kOsKindVista64 : kOsKindVista32;
    // 5.2 passes here too: the comparison is lexicographic.
    if (IsVersionAtLeast(facts, 5, 1, 3))
        return kOsKindXpSp3;
    if (IsVersionAtLeast(facts, 5, 1, 0))
        return b64 ? kOsKindXp64 : kOsKindXp32;
    return kOsKindUnknown;
}

const wchar_t* GetOsKindLabel(int kind) {
    static const wchar_t* const kLabels[] = {
        L"未知系统",       L"xp系统",         L"xp_sp3系统",      L"xp 64位系统",
        L"vista 32位系统", L"vista 64系统",   L"win7 32位系统",   L"win7 64位系统",
        L"win8 32位系统",  L"win8 64位系统",  L"win8.1 32位系统", L"win8.1 64位系统",
        L"win10 32位系统", L"win10 64位系统", L"未知系统",
    };
    if (kind < 0 || kind >= static_cast<int>(sizeof(kLabels) / sizeof(kLabels[0])))
        return kLabels[0];
    return kLabels[kind];
}

bool IsMachine64Bit(const std::string& machine) {
    return machine == "x86_64" || machine == "amd64" || machine == "ia64";
}

bool DecideWow64(bool bProcess32Bit, const std::string& machine) {
    return bProcess32Bit && machine.size() >= 2 && machine.ends_with("64");
}

namespace {

std::string MachineName() {
    utsname name{};
    if (uname(&name) != 0)
        return std::string();
    return name.machine;
}

}  // namespace

bool IsVersionOrGreater(uint16_t major, uint16_t minor, uint16_t servicePackMajor) {
    // No Windows version exists to be read on this platform.
    return IsVersionAtLeast(COsFacts{}, major, minor, servicePackMajor);
}

bool IsNative64Bit() {
    return IsMachine64Bit(MachineName());
}

int GetOsKind() {
    COsFacts facts;
    facts.bNative64 = IsNative64Bit();
    // The product-type query has nothing to ask either; it fails like on a server.
    return DecideOsKind(facts);
}

bool IsWow64() {
    return DecideWow64(sizeof(void*) == 4, MachineName());
}

std::wstring DirectoryOfPath(const std::wstring& path) {
    size_t slash = path.rfind(L'/');
    if (slash == std::wstring::npos)
        return path;
    return path.substr(0, slash);
}

std::wstring GetExeDirectory() {
    std::vector<char> buffer(4096);
    for (int attempt = 0; attempt < 4; ++attempt) {
        ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) {
            WriteLog(L"%s readlink /proc/self/exe failed", L"SystemInfo::GetExeDirectory");
            return std::wstring();
        }
        if (static_cast<size_t>(n) < buffer.size())
            return DirectoryOfPath(AnsiToWide(std::string(buffer.data(), static_cast<size_t>(n))));
        buffer.resize(buffer.size() * 4);
    }
    return std::wstring();
}
