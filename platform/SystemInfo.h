#pragma once
#include <cstdint>
#include <string>

// What the installer asks about the machine. Each probe is split from the
// decision it feeds, so the decisions can be checked on made-up machines.

// OS kinds, 0..14. The numbering is an interface: 0..3 are the XP generation.
enum : int {
    kOsKindUnknown = 0,
    kOsKindXp32 = 1,
    kOsKindXpSp3 = 2,
    kOsKindXp64 = 3,
    kOsKindVista32 = 4,
    kOsKindVista64 = 5,
    kOsKindWin7_32 = 6,
    kOsKindWin7_64 = 7,
    kOsKindWin8_32 = 8,
    kOsKindWin8_64 = 9,
    kOsKindWin81_32 = 10,
    kOsKindWin81_64 = 11,
    kOsKindWin10_32 = 12,
    kOsKindWin10_64 = 13,
    kOsKindServer = 14,
};

// The facts the OS kind is decided from; a failed probe leaves its field false.
struct COsFacts {
    bool bVersionKnown = false;
    uint16_t nMajor = 0;
    uint16_t nMinor = 0;
    uint16_t nServicePackMajor = 0;
    bool bWorkstation = false;
    bool bNative64 = false;
};

// Lexicographic "at least" on (major, minor, service pack); false when unknown.
bool IsVersionAtLeast(const COsFacts& facts, uint16_t major, uint16_t minor,
                      uint16_t servicePackMajor);
int DecideOsKind(const COsFacts& facts);
// The kind's label, "未知系统" for anything out of range.
const wchar_t* GetOsKindLabel(int kind);
// uname's machine name: only x86-64 and Itanium count, ARM64 does not.
bool IsMachine64Bit(const std::string& machine);
// A 32-bit process on a kernel whose machine name says 64-bit.
bool DecideWow64(bool bProcess32Bit, const std::string& machine);

// This machine. There is no Windows release to ask for here, so the version
// probes fail and the OS kind takes the failure path (kOsKindServer).
bool IsVersionOrGreater(uint16_t major, uint16_t minor, uint16_t servicePackMajor);
bool IsNative64Bit();
int GetOsKind();
bool IsWow64();

// Folder of the running executable without a trailing separator.
std::wstring GetExeDirectory();
// Text before the last '/'; a path without one is returned whole.
std::wstring DirectoryOfPath(const std::wstring& path);
