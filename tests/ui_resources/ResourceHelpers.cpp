#include "ResourceHelpers.h"

#include <glib.h>
#include <gtest/gtest.h>
#include <png.h>

#include <cctype>
#include <cstring>

#include "ui/resources/TovadocResources.h"

namespace uires {

const SOUI::SResEntry* FindResource(const SOUI::SResTable& table, const char* pszType,
                                    const char* pszName) {
    for (size_t i = 0; i < table.nCount; ++i) {
        const SOUI::SResEntry& e = table.pEntries[i];
        if (std::strcmp(e.pszType, pszType) == 0 && std::strcmp(e.pszName, pszName) == 0)
            return &e;
    }
    return nullptr;
}

std::string ResourceBytes(const char* pszType, const char* pszName) {
    const SOUI::SResEntry* e = FindResource(TovadocResources(), pszType, pszName);
    EXPECT_NE(e, nullptr) << pszType << "/" << pszName;
    if (!e)
        return {};
    return std::string(reinterpret_cast<const char*>(e->pData), e->nSize);
}

bool LoadXml(pugi::xml_document& doc, const char* pszType, const char* pszName) {
    std::string bytes = ResourceBytes(pszType, pszName);
    pugi::xml_parse_result r =
        doc.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_utf8);
    EXPECT_TRUE(r) << pszType << "/" << pszName << ": " << r.description() << " at " << r.offset;
    return bool(r);
}

static unsigned BigEndian32(const unsigned char* p) {
    return (unsigned(p[0]) << 24) | (unsigned(p[1]) << 16) | (unsigned(p[2]) << 8) | unsigned(p[3]);
}

bool ReadPngHeader(const std::string& bytes, PngInfo& info) {
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (bytes.size() < 33)
        return false;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
    if (std::memcmp(p, kSignature, 8) != 0)
        return false;
    if (BigEndian32(p + 8) != 13 || std::memcmp(p + 12, "IHDR", 4) != 0)
        return false;
    info.nWidth = BigEndian32(p + 16);
    info.nHeight = BigEndian32(p + 20);
    info.nBitDepth = p[24];
    info.nColorType = p[25];
    return true;
}

bool DecodePngRgba(const std::string& bytes, unsigned& nWidth, unsigned& nHeight,
                   std::vector<unsigned char>& pixels) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return false;
    image.format = PNG_FORMAT_RGBA;
    pixels.assign(PNG_IMAGE_SIZE(image), 0);
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    nWidth = image.width;
    nHeight = image.height;
    return true;
}

namespace {

// Walks the RTF; only what the licence texts use: groups, control words
// with optional numeric parameter, \'hh, \uN with one fallback character,
// and the font and colour tables as skipped destinations.
class RtfWalker {
public:
    explicit RtfWalker(const std::string& rtf) : m_rtf(rtf) {}

    RtfText Run() {
        RtfText out;
        struct State {
            bool bSkip = false;
            bool bBold = false;
        };
        std::vector<State> stack{State{}};
        size_t i = 0;
        bool bOk = true;
        while (i < m_rtf.size() && bOk) {
            char c = m_rtf[i];
            if (c == '{') {
                stack.push_back(stack.back());
                ++i;
            } else if (c == '}') {
                bOk = FlushBytes(out, stack.back().bBold);
                if (stack.size() == 1)
                    return out;  // a brace that closes nothing
                stack.pop_back();
                ++i;
                if (stack.size() == 1) {  // the document's own group has ended
                    out.bValid = bOk && m_rtf.find_first_not_of("\r\n", i) == std::string::npos;
                    return out;
                }
            } else if (c == '\\') {
                ++i;
                if (i >= m_rtf.size())
                    break;
                char d = m_rtf[i];
                if (d == '\'') {
                    if (i + 2 >= m_rtf.size())
                        break;
                    std::string hex = m_rtf.substr(i + 1, 2);
                    if (!stack.back().bSkip)
                        m_bytes.push_back(char(std::stoi(hex, nullptr, 16)));
                    i += 3;
                    continue;
                }
                bOk = FlushBytes(out, stack.back().bBold);
                if (!std::isalpha(
                        static_cast<unsigned char>(d))) {  // control symbol such as \{ or \\ .
                    if (!stack.back().bSkip)
                        Append(out, std::string(1, d), stack.back().bBold);
                    ++i;
                    continue;
                }
                size_t start = i;
                while (i < m_rtf.size() && std::isalpha(static_cast<unsigned char>(m_rtf[i])))
                    ++i;
                std::string word = m_rtf.substr(start, i - start);
                bool bHasParam = false;
                long nParam = 0;
                size_t pstart = i;
                if (i < m_rtf.size() &&
                    (m_rtf[i] == '-' || std::isdigit(static_cast<unsigned char>(m_rtf[i])))) {
                    ++i;
                    while (i < m_rtf.size() && std::isdigit(static_cast<unsigned char>(m_rtf[i])))
                        ++i;
                    nParam = std::stol(m_rtf.substr(pstart, i - pstart));
                    bHasParam = true;
                }
                if (i < m_rtf.size() && m_rtf[i] == ' ')
                    ++i;
                State& st = stack.back();
                if (word == "fonttbl" || word == "colortbl") {
                    st.bSkip = true;
                } else if (word == "b") {
                    st.bBold = !bHasParam || nParam != 0;
                } else if (word == "par" && !st.bSkip) {
                    Append(out, "\n", false);
                } else if (word == "u" && bHasParam && !st.bSkip) {
                    long cp = nParam < 0 ? nParam + 65536 : nParam;
                    char buf[8] = {};
                    g_unichar_to_utf8(gunichar(cp), buf);
                    Append(out, buf, st.bBold);
                    if (i < m_rtf.size() && m_rtf[i] != '\\' && m_rtf[i] != '{' && m_rtf[i] != '}')
                        ++i;
                }
            } else if (c == '\r' || c == '\n') {
                ++i;
            } else {
                bOk = FlushBytes(out, stack.back().bBold);
                if (!stack.back().bSkip)
                    Append(out, std::string(1, c), stack.back().bBold);
                ++i;
            }
        }
        return out;  // unbalanced or undecodable: bValid stays false
    }

private:
    void Append(RtfText& out, const std::string& s, bool bBold) {
        out.strText += s;
        if (bBold) {
            if (!m_bInBold)
                out.boldRuns.emplace_back();
            out.boldRuns.back() += s;
        }
        m_bInBold = bBold;
    }

    bool FlushBytes(RtfText& out, bool bBold) {
        if (m_bytes.empty())
            return true;
        gsize nWritten = 0;
        GError* err = nullptr;
        gchar* utf8 = g_convert(m_bytes.data(), gssize(m_bytes.size()), "UTF-8", "GBK", nullptr,
                                &nWritten, &err);
        m_bytes.clear();
        if (!utf8) {
            if (err)
                g_error_free(err);
            return false;
        }
        Append(out, std::string(utf8, nWritten), bBold);
        g_free(utf8);
        return true;
    }

    const std::string& m_rtf;
    std::string m_bytes;
    bool m_bInBold = false;
};

}  // namespace

RtfText ExtractRtf(const std::string& rtf) {
    RtfWalker walker(rtf);
    RtfText out = walker.Run();
    return out;
}

}  // namespace uires
