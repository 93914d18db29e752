#include "install/StatisticsRecord.h"

#include <glib.h>
#include <json/json.h>

#include "platform/TextConvert.h"

std::string BuildStatisticsJson(const std::wstring& strChannel, const std::wstring& strVersion,
                                const std::wstring& strMacId, uint32_t nLanguage) {
    Json::Value record;
    record["channel"] = AnsiToUtf8(WideToAnsi(strChannel));
    record["version"] = AnsiToUtf8(WideToAnsi(strVersion));
    record["mac_id"] = AnsiToUtf8(WideToAnsi(strMacId));
    record["lang"] = nLanguage == 1 ? "zh_cn" : "en_us";
    // The styled writer's layout, but this JsonCpp's StyledWriter escapes
    // non-ASCII text as \u sequences, and the record carries UTF-8.
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    builder["emitUTF8"] = true;
    builder["commentStyle"] = "None";
    return Json::writeString(builder, record) + "\n";
}

std::string BuildStatisticsBody(const std::string& strJson) {
    gchar* szBase64 =
        g_base64_encode(reinterpret_cast<const guchar*>(strJson.data()), strJson.size());
    std::string strBody = std::string("info=") + szBase64;
    g_free(szBase64);
    return strBody;
}
