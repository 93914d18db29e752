#include "app/cli/LicenceText.h"

#include <vector>

#include "platform/TextConvert.h"
#include "platform/WriteLog.h"
#include "toolkit/rtf/SRtfReader.h"
#include "ui/CProtocolDlg.h"

std::string LicenceText(const SOUI::SResProviderMgr& res, uint32_t nLanguage) {
    const wchar_t* pszRef = CProtocolDlg::LicenceFor(nLanguage);
    std::vector<char> buf;
    if (!res.GetRawBuffer(pszRef, buf)) {
        WriteLog(L"%s no licence resource [%s]", L"LicenceText::LicenceText", pszRef);
        return {};
    }
    SOUI::SRtfDocument doc;
    if (!SOUI::SRtfReader::Read(std::string_view(buf.data(), buf.size()), doc)) {
        WriteLog(L"%s [%s] cannot be read", L"LicenceText::LicenceText", pszRef);
        return {};
    }
    std::string strText = WideToAnsi(doc.GetText());
    // Trailing empty paragraphs are the document's end, not text.
    while (!strText.empty() && (strText.back() == '\n' || strText.back() == ' '))
        strText.pop_back();
    return strText + "\n";
}
