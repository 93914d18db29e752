#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ResourceHelpers.h"
#include "ui/resources/NamedIds.h"

namespace {

std::wstring Widen(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

int IdOf(const wchar_t* psz) {
    for (size_t i = 0; i < g_nTovadocNamedIds; ++i)
        if (std::wcscmp(g_TovadocNamedIds[i].strName, psz) == 0)
            return g_TovadocNamedIds[i].nID;
    return -1;
}

// Control names in document order: main window, licence dialog, message box.
std::vector<std::string> NamesInLayoutOrder() {
    std::vector<std::string> names;
    for (const char* layout : {"XML_MAINWND", "XML_PROTOCOLDLG_WND", "XML_MSGBOX_DLG"}) {
        pugi::xml_document doc;
        if (!uires::LoadXml(doc, "LAYOUT", layout))
            return {};
        for (pugi::xpath_node n : doc.select_nodes("/SOUI/root//*[@name]"))
            names.push_back(n.node().attribute("name").value());
    }
    return names;
}

}  // namespace

TEST(UiResources, NamedIdsAreSortedByCodeUnitAndUnique) {
    ASSERT_EQ(g_nTovadocNamedIds, 26u);
    std::set<int> ids;
    for (size_t i = 0; i < g_nTovadocNamedIds; ++i) {
        ASSERT_NE(g_TovadocNamedIds[i].strName, nullptr);
        EXPECT_LT(std::wcslen(g_TovadocNamedIds[i].strName),
                  52u);  // the toolkit's fixed name field
        EXPECT_TRUE(ids.insert(g_TovadocNamedIds[i].nID).second) << g_TovadocNamedIds[i].nID;
        if (i > 0) {
            EXPECT_LT(std::wcscmp(g_TovadocNamedIds[i - 1].strName, g_TovadocNamedIds[i].strName),
                      0)
                << "row " << i;
        }
    }
    EXPECT_STREQ(g_TovadocNamedIds[0].strName, L"_name_start");
    EXPECT_EQ(g_TovadocNamedIds[0].nID, 65535);
    EXPECT_EQ(IdOf(L"btn_close"), 65537);
    // Code-unit order puts upper case first.
    size_t nLauncher = 0, nAgree = 0;
    for (size_t i = 0; i < g_nTovadocNamedIds; ++i) {
        if (std::wcscmp(g_TovadocNamedIds[i].strName, L"check_Launcher") == 0)
            nLauncher = i;
        if (std::wcscmp(g_TovadocNamedIds[i].strName, L"check_agree") == 0)
            nAgree = i;
    }
    EXPECT_LT(nLauncher, nAgree);
}

TEST(UiResources, NamedIdsCoverTheLayoutsInOrderOfFirstAppearance) {
    std::vector<std::string> names = NamesInLayoutOrder();
    ASSERT_FALSE(names.empty());
    // btn_close is in two windows and keeps one ID.
    std::map<std::string, int> expected;
    int next = 65536;
    for (const std::string& n : names)
        if (!expected.count(n))
            expected[n] = next++;
    EXPECT_EQ(expected.size() + 1, g_nTovadocNamedIds);
    for (const auto& [name, id] : expected)
        EXPECT_EQ(IdOf(Widen(name).c_str()), id) << name;
    EXPECT_EQ(std::count(names.begin(), names.end(), "btn_close"), 2);
}
