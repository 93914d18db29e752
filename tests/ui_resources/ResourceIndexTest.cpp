#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>
#include <string>

#include "ResourceHelpers.h"
#include "ui/resources/TovadocResources.h"
#include "ui/resources/VersionInfo.h"

const SOUI::SResTable& EmbedTestTable();

namespace {

struct IndexRow {
    const char* pszType;
    const char* pszName;
};

// Everything code asks for, under the stored upper-case type and name.
const IndexRow kIndex[] = {
    {"UIDEF", "XML_INIT"},
    {"LAYOUT", "XML_MAINWND"},
    {"LAYOUT", "XML_PROTOCOLDLG_WND"},
    {"LAYOUT", "XML_MSGBOX_DLG"},
    {"VALUES", "STRING"},
    {"VALUES", "COLOR"},
    {"VALUES", "SKIN"},
    {"ICON", "ICON_LOGO"},
    {"TRANSLATOR", "LANG_CN"},
    {"TRANSLATOR", "LANG_EN"},
    {"PNG", "IMAGE_BTN_MINIMIZE_PNG"},
    {"PNG", "IMAGE_BTN_CLOSE_PNG"},
    {"PNG", "IMAGE_SHADOW_PNG"},
    {"PNG", "IMAGE_LOGO_PNG"},
    {"PNG", "IMAGE_BTN_PNG"},
    {"PNG", "IMAGE_BGK_PNG"},
    {"PNG", "IMAGE_1_PNG"},
    {"PNG", "IMAGE_2_PNG"},
    {"PNG", "IMAGE_3_PNG"},
    {"PNG", "IMAGE_PROGRESS_PNG"},
    {"PNG", "IMAGE_PROGRESS_BGK_PNG"},
    {"PNG", "IMAGE_OPENFILE_PNG"},
    {"PNG", "ID_SCROLLBAR"},
    {"RTF", "RTF_PROTOCOL_RTF"},
    {"RTF", "RTF_PROTOCOL_RTF_EN"},
};

bool IsUpperIdentifier(const char* psz) {
    if (!psz || !*psz)
        return false;
    for (; *psz; ++psz)
        if (!(std::isupper(static_cast<unsigned char>(*psz)) ||
              std::isdigit(static_cast<unsigned char>(*psz)) || *psz == '_'))
            return false;
    return true;
}

bool HasBom(const std::string& s) {
    return s.size() >= 3 && s.compare(0, 3, "\xEF\xBB\xBF") == 0;
}

}  // namespace

TEST(UiResources, EveryIndexedResourceIsStoredUnderUpperCaseTypeAndName) {
    const SOUI::SResTable& table = TovadocResources();
    for (const IndexRow& row : kIndex) {
        const SOUI::SResEntry* e = uires::FindResource(table, row.pszType, row.pszName);
        ASSERT_NE(e, nullptr) << row.pszType << "/" << row.pszName;
        EXPECT_GT(e->nSize, 0u) << row.pszType << "/" << row.pszName;
        // Text resources are read as C strings by some callers.
        EXPECT_EQ(e->pData[e->nSize], 0) << row.pszType << "/" << row.pszName;
    }
    std::set<std::string> seen;
    for (size_t i = 0; i < table.nCount; ++i) {
        const SOUI::SResEntry& e = table.pEntries[i];
        EXPECT_TRUE(IsUpperIdentifier(e.pszType)) << e.pszType;
        EXPECT_TRUE(IsUpperIdentifier(e.pszName)) << e.pszName;
        EXPECT_TRUE(seen.insert(std::string(e.pszType) + "/" + e.pszName).second)
            << "stored twice: " << e.pszType << "/" << e.pszName;
    }
}

TEST(UiResources, ReferencesUsedByCodeResolveOnceUpperCased) {
    // Code spells references as "type:name" in any case.
    const char* refs[] = {
        "UIDEF:XML_INIT",       "values:string",           "values:skin",
        "values:color",         "translator:lang_cn",      "translator:lang_en",
        "RTF:rtf_protocol_rtf", "RTF:rtf_protocol_rtf_en", "PNG:image_btn_minimize_png",
        "PNG:ID_SCROLLBAR",     "LAYOUT:XML_MAINWND"};
    for (const char* ref : refs) {
        std::string s(ref);
        size_t colon = s.find(':');
        ASSERT_NE(colon, std::string::npos);
        std::string type = s.substr(0, colon), name = s.substr(colon + 1);
        for (char& c : type)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        for (char& c : name)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_NE(uires::FindResource(TovadocResources(), type.c_str(), name.c_str()), nullptr)
            << ref;
    }
}

TEST(UiResources, ByteOrderMarkOnTheTablesThatCarryOne) {
    const IndexRow withBom[] = {{"UIDEF", "XML_INIT"},
                                {"VALUES", "STRING"},
                                {"VALUES", "COLOR"},
                                {"TRANSLATOR", "LANG_CN"},
                                {"TRANSLATOR", "LANG_EN"}};
    for (const IndexRow& row : withBom)
        EXPECT_TRUE(HasBom(uires::ResourceBytes(row.pszType, row.pszName)))
            << row.pszType << "/" << row.pszName;
    const IndexRow withoutBom[] = {{"VALUES", "SKIN"},
                                   {"LAYOUT", "XML_MAINWND"},
                                   {"LAYOUT", "XML_PROTOCOLDLG_WND"},
                                   {"LAYOUT", "XML_MSGBOX_DLG"}};
    for (const IndexRow& row : withoutBom)
        EXPECT_FALSE(HasBom(uires::ResourceBytes(row.pszType, row.pszName)))
            << row.pszType << "/" << row.pszName;
}

TEST(UiResources, ValueTablesHoldTheirEntries) {
    pugi::xml_document str, color;
    ASSERT_TRUE(uires::LoadXml(str, "VALUES", "STRING"));
    ASSERT_TRUE(uires::LoadXml(color, "VALUES", "COLOR"));
    pugi::xml_node s = str.child("string");
    ASSERT_TRUE(s);
    ASSERT_TRUE(s.child("title"));
    EXPECT_STREQ(s.child("title").attribute("value").as_string("missing"), "");
    EXPECT_STREQ(s.child("ver").attribute("value").value(), "1.0");
    EXPECT_EQ(std::distance(s.begin(), s.end()), 2);

    pugi::xml_node c = color.child("color");
    const std::pair<const char*, const char*> colors[] = {{"red", "rgb(255,0,0)"},
                                                          {"green", "rgb(0,255,0)"},
                                                          {"blue", "rgb(0,0,255)"},
                                                          {"white", "rgb(255,255,255)"},
                                                          {"gray", "#808080"}};
    for (const auto& [name, value] : colors)
        EXPECT_STREQ(c.child(name).attribute("value").value(), value) << name;
    EXPECT_EQ(std::distance(c.begin(), c.end()), 5);
}

TEST(UiResources, InitialDefinitionsNameTheDefaultFontTablesAndStyles) {
    pugi::xml_document doc;
    ASSERT_TRUE(uires::LoadXml(doc, "UIDEF", "XML_INIT"));
    pugi::xml_node ui = doc.child("UIDEF");
    ASSERT_TRUE(ui);
    EXPECT_STREQ(ui.child("font").attribute("face").value(), "宋体");
    EXPECT_EQ(ui.child("font").attribute("size").as_int(), 15);
    // Each table it loads must exist under the upper-cased reference.
    for (const char* tag : {"string", "skin", "color"}) {
        std::string src = ui.child(tag).attribute("src").value();
        ASSERT_EQ(src.rfind("values:", 0), 0u) << tag;
        std::string name = src.substr(7);
        for (char& ch : name)
            ch = char(std::toupper(static_cast<unsigned char>(ch)));
        EXPECT_NE(uires::FindResource(TovadocResources(), "VALUES", name.c_str()), nullptr) << src;
    }
    pugi::xml_node normal = ui.child("style").find_child_by_attribute("class", "name", "normalbtn");
    ASSERT_TRUE(normal);
    EXPECT_STREQ(normal.attribute("colorText").value(), "#385e8b");
    EXPECT_STREQ(normal.attribute("colorTextDisable").value(), "#91a7c0");
    EXPECT_EQ(std::stoi(normal.attribute("textMode").value(), nullptr, 16), 0x25);
    pugi::xml_node web =
        ui.child("style").find_child_by_attribute("class", "name", "cls_btn_weblink");
    ASSERT_TRUE(web);
    EXPECT_STREQ(web.attribute("colorTextHover").value(), "#1e78d5");
    EXPECT_NE(std::string(web.attribute("fontHover").value()).find("underline:1"),
              std::string::npos);
}

TEST(UiResources, VersionBlockNamesTheInstaller) {
    std::string block = uires::ResourceBytes("VERSION", "VS_VERSION_INFO");
    for (const char* line :
         {"FileDescription=TovadocInstaller", "InternalName=TovadocInstaller",
          "OriginalFilename=TovadocInstaller", "ProductName=TovadocInstaller",
          "FileVersion=2.2.3.3", "ProductVersion=2.2.3.3", "Translation=0x0804,1200"})
        EXPECT_NE(block.find(std::string(line) + "\n"), std::string::npos) << line;
    EXPECT_STREQ(TovadocVersion::kProductName, "TovadocInstaller");
    EXPECT_STREQ(TovadocVersion::kFileVersion, "2.2.3.3");
    EXPECT_EQ(TovadocVersion::kVersion[3], 3);
}

TEST(EmbedResources, KeepsEveryByteAndUpperCasesTypeAndName) {
    const SOUI::SResTable& table = EmbedTestTable();
    ASSERT_EQ(table.nCount, 2u);
    const SOUI::SResEntry* bin = uires::FindResource(table, "BIN", "ALL_BYTES");
    ASSERT_NE(bin, nullptr);
    ASSERT_EQ(bin->nSize, 256u);
    for (size_t i = 0; i < 256; ++i)
        ASSERT_EQ(bin->pData[i], i) << "byte " << i;

    const SOUI::SResEntry* empty = uires::FindResource(table, "TXT", "EMPTY");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->nSize, 0u);
    ASSERT_NE(empty->pData, nullptr);
    EXPECT_EQ(empty->pData[0], 0);
    EXPECT_EQ(uires::FindResource(table, "bin", "all_bytes"), nullptr);
}
