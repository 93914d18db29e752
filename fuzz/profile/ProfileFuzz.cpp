// The INI reader and writer (Install.ini, user.ini). The input's first line
// names a section and keys to write, tab-separated ("Info\tchannel\t10");
// the rest is the file as it lies on disk.
#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "platform/ProfileFile.h"
#include "platform/ProfileText.h"
#include "platform/TextConvert.h"

namespace {

bool IsUtf8(std::string_view bytes) {
    std::wstring wide = AnsiToWide(std::string(bytes));
    return WideToAnsi(wide) == bytes && wide.find(wchar_t(0xfffd)) == std::wstring::npos;
}

std::string ReadAll(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& strPath, std::string_view bytes) {
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The file's lines without their ends.
std::vector<std::string_view> Lines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    while (!bytes.empty()) {
        std::string_view line = FuzzTakeField(bytes, '\n');
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
    }
    return lines;
}

// The writer changes one place of the file: it replaces a key's line, or
// inserts lines, or appends a section. Every other line stays as it was.
bool KeepsOtherLines(std::string_view before, std::string_view after) {
    std::vector<std::string_view> a = Lines(before), b = Lines(after);
    size_t nPrefix = 0;
    while (nPrefix < a.size() && nPrefix < b.size() && a[nPrefix] == b[nPrefix]) {
        ++nPrefix;
    }
    size_t nSuffix = 0;
    while (nSuffix < a.size() - nPrefix && nSuffix < b.size() - nPrefix &&
           a[a.size() - 1 - nSuffix] == b[b.size() - 1 - nSuffix]) {
        ++nSuffix;
    }
    return nPrefix + nSuffix + 1 >= a.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    std::string_view input = FuzzBytes(pData, nSize);
    std::string_view params = FuzzTakeField(input, '\n');
    const std::string_view file = input;

    const std::wstring section = AnsiToWide(std::string(FuzzTakeField(params, '\t')));
    std::vector<std::pair<std::wstring, std::wstring>> keyValues;
    while (!params.empty() && keyValues.size() < 3) {
        std::wstring key = AnsiToWide(std::string(FuzzTakeField(params, '\t')));
        std::wstring value = AnsiToWide(std::string(FuzzTakeField(params, '\t')));
        keyValues.emplace_back(std::move(key), std::move(value));
    }

    // Reading: decoding keeps text that is already UTF-8 byte for byte, and
    // the file reader finds what the text reader finds.
    const CProfileText text = CProfileText::Decode(std::string(file));
    const bool bPlainUtf8 = !file.starts_with("\xFF\xFE") && !file.starts_with("\xFE\xFF");
    if (bPlainUtf8 && IsUtf8(file)) {
        FUZZ_CHECK(text.Encode() == file);
    }
    const std::string strPath = FuzzScratchDir() + "/user.ini";
    WriteAll(strPath, file);
    const std::wstring strPathW = AnsiToWide(strPath);
    const std::wstring kAbsent =
        L"\x1"
        L"absent";
    for (const auto& [key, value] : keyValues) {
        std::wstring strFound;
        std::wstring strText;
        for (const auto& line : text.m_vecLines) {
            strText += line.strText + line.strEnd;
        }
        bool bFound = FindProfileValue(strText, section, key, strFound);
        std::wstring strRead = ProfileReadString(section, key, kAbsent, 1 << 20, strPathW);
        FUZZ_CHECK(strRead == (bFound ? strFound : kAbsent));
        (void)ProfileReadInt(section, key, 7, strPathW);
    }

    // Writing: what was written reads back, and nothing else changes; a
    // refused write leaves the file as it was.
    if (keyValues.empty()) {
        return 0;
    }
    const bool bWritten = ProfileWriteStrings(strPathW, section, keyValues);
    const std::string after = ReadAll(strPath);
    if (!bWritten) {
        FUZZ_CHECK(after == file);
        return 0;
    }
    for (size_t i = 0; i < keyValues.size(); ++i) {
        const auto& [key, value] = keyValues[i];
        // A key given twice keeps its last value.
        bool bLater = false;
        for (size_t j = i + 1; j < keyValues.size(); ++j) {
            bLater = bLater || ProfileNamesEqual(TrimProfileBlanks(keyValues[j].first),
                                                 TrimProfileBlanks(key));
        }
        if (!bLater) {
            FUZZ_CHECK(ProfileReadString(section, key, kAbsent, 1 << 20, strPathW) == value);
        }
    }
    if (bPlainUtf8 && keyValues.size() == 1) {
        FUZZ_CHECK(KeepsOtherLines(file, after));
    }
    return 0;
}
