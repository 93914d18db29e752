#pragma once
#include <cstdint>
#include <string>

// The install statistics record and the form body that carries it.

// The record in the styled text form: members sorted, three blanks of
// indentation, " : ", a final line feed; UTF-8 kept as it is.
// "lang" is "zh_cn" for language 1 and "en_us" for any other value.
std::string BuildStatisticsJson(const std::wstring& strChannel, const std::wstring& strVersion,
                                const std::wstring& strMacId, uint32_t nLanguage);
// "info=" and the standard Base64 of the record's bytes, without line breaks.
std::string BuildStatisticsBody(const std::string& strJson);
