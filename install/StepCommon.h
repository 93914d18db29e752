#pragma once
#include <cstdint>
#include <string>

// The parts of the install steps that depend only on their inputs.

// Install.ini inside the given installer folder.
std::wstring GetInstallIniPathIn(const std::wstring& strExeDir);

// net40_url for the XP generation (OS kinds 0 to 3), net45_url otherwise.
std::wstring ChooseNetUrl(int nOsKind, const std::wstring& strIniPath);

// "<installer>" with the path quoted, so a folder with blanks names one program.
std::string BuildNetCommandLine(const std::wstring& strInstallerPath);
// "<package>" /VERYSILENT /SUPPRESSMSGBOXES /DIR="<folder>"
std::string BuildPackCommandLine(const std::wstring& strPackagePath,
                                 const std::wstring& strInstallDir);

// Adds execute permission (downloads arrive without it). False, with a log
// line, when the file is missing or cannot be changed.
bool MarkExecutable(const std::wstring& strPath);

// The statistics record in the styled text form: members sorted, three
// blanks of indentation, " : ", a final line feed; UTF-8 kept as it is.
// "lang" is "zh_cn" for language 1 and "en_us" for any other value.
std::string BuildStatisticsJson(const std::wstring& strChannel, const std::wstring& strVersion,
                                const std::wstring& strMacId, uint32_t nLanguage);
// "info=" and the standard Base64 of the record's bytes, without line breaks.
std::string BuildStatisticsBody(const std::string& strJson);
