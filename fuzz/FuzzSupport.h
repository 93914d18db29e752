#pragma once
// What the fuzz targets share: a property check that fails like a crash,
// input splitting and a scratch folder for targets that write files.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A property that must hold for every input. A violation aborts, so the
// fuzzer keeps the input as a crash and the replay fails on it.
#define FUZZ_CHECK(cond) ((cond) ? (void)0 : FuzzFail(#cond, __FILE__, __LINE__))
[[noreturn]] void FuzzFail(const char* pszWhat, const char* pszFile, int nLine);

inline std::string_view FuzzBytes(const uint8_t* pData, size_t nSize) {
    return {reinterpret_cast<const char*>(pData), nSize};
}

// Cuts the text before the first occurrence of chSep off str and returns it;
// without one, all of str.
std::string_view FuzzTakeField(std::string_view& str, char chSep);

// Wide text from bytes taken as 4-byte code units, any value: surrogates,
// zeros and values beyond Unicode included. A tail shorter than 4 is dropped.
std::wstring FuzzWideUnits(std::string_view bytes);

// A folder of this process under $TMPDIR for files a target writes; made on
// first use, removed at exit.
const std::string& FuzzScratchDir();
// Removes a tree (no links followed); false when something stayed.
bool FuzzRemoveTree(const std::string& strPath);
