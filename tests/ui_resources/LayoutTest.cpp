#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ResourceHelpers.h"

namespace {

const char kMain[] = "XML_MAINWND";
const char kProtocol[] = "XML_PROTOCOLDLG_WND";
const char kMsgBox[] = "XML_MSGBOX_DLG";

using Attrs = std::vector<std::pair<const char*, const char*>>;

struct ControlRow {
    const char* pszLayout;
    const char* pszPath;  // where the control sits in the tree
    Attrs attrs;          // attributes it must carry, value as written
    const char* pszText;  // element text; null: no text
};

const char kFace[] = "face:微软雅黑";

std::string Font(const char* rest) {
    return std::string(kFace) + "," + rest;
}

const std::vector<ControlRow>& Controls() {
    static const std::string f12 = Font("size:12"), f14 = Font("size:14"), f16 = Font("size:16"),
                             f20 = Font("size:20"), b16 = Font("bold:1,size:16"),
                             b20 = Font("bold:1,size:20"), u14 = Font("size:14,underline:1");
    static const std::vector<ControlRow> rows = {
        // main window
        {kMain, "/SOUI/root", {{"colorBkgnd", "#ffffffff"}, {"skin", "skin.shadow"}}, nullptr},
        {kMain, "/SOUI/root/window", {{"pos", "3,3,-3,-5"}, {"colorBkgnd", "#ffffffff"}}, nullptr},
        {kMain, "/SOUI/root/window/window", {{"pos", "0,0,-0,-0"}, {"skin", "skin.gbk"}}, nullptr},
        {kMain,
         "/SOUI/root/window/window/caption",
         {{"pos", "0,0,-0,-0"}, {"clipClient", "1"}},
         nullptr},
        {kMain,
         "/SOUI/root/window/window/caption/imgbtn[@name='btn_min']",
         {{"pos", "-60,0,@30,@20"},
          {"skin", "skin.btn_minimize"},
          {"cursor", "hand"},
          {"animate", "1"}},
         nullptr},
        {kMain,
         "/SOUI/root/window/window/caption/imgbtn[@name='btn_close']",
         {{"pos", "-30,0,@30,@20"},
          {"skin", "skin.btn_close"},
          {"cursor", "hand"},
          {"animate", "1"}},
         nullptr},
        {kMain,
         "/SOUI/root/window/window/caption/tabctrl[@name='tab_main']",
         {{"pos", "0,20,-0,-0"},
          {"curSel", "0"},
          {"tabHeight", "0"},
          {"tabSkin", ""},
          {"focusable", "0"},
          {"font", "face:微软雅黑,adding:-2"},
          {"colorText", "#ffffffff"}},
         nullptr},
        {kMain,
         "//tabctrl/page[1]",
         {{"name", "check_agree"}, {"title", "页1"}, {"interval", "50"}},
         nullptr},
        {kMain,
         "//tabctrl/page[1]/img",
         {{"pos", "|-75,58,@151,@133"}, {"skin", "skin.logo"}},
         nullptr},
        {kMain,
         "//tabctrl/page[1]/text[1]",
         {{"pos", "|-150,[20,@300,@20"},
          {"align", "center"},
          {"colorText", "#383838ff"},
          {"font", f20.c_str()}},
         "page1_qvdoc_conv"},
        {kMain,
         "//tabctrl/page[1]/text[2]",
         {{"pos", "|-150,[10,@300,@20"},
          {"align", "center"},
          {"colorText", "#383838ff"},
          {"font", f14.c_str()}},
         "page1_qvdoc_solving"},
        {kMain,
         "//tabctrl/page[1]/imgbtn[@name='btn_installer']",
         {{"pos", "|-65,[20,@130,@32"},
          {"skin", "skin.btn"},
          {"colorText", "#ffffffff"},
          {"font", f16.c_str()},
          {"cursor", "hand"}},
         "page1_install"},
        {kMain,
         "//tabctrl/page[1]/window[@name='win_border']",
         {{"pos", "|-130,[10,@260,@27"}, {"skin", "skin.colorborder"}},
         nullptr},
        {kMain,
         "//window[@name='win_border']/edit[@name='edit_path']",
         {{"pos", "1,1,@233,@25"},
          {"colorText", "#383838ff"},
          {"font", f12.c_str()},
          {"extend", "10"},
          {"enable", "1"},
          {"cueText", ""}},
         nullptr},
        {kMain,
         "//window[@name='win_border']/imgbtn[@name='btn_open']",
         {{"pos", "[7,{7,@11,@11"},
          {"skin", "skin.openfile"},
          {"cursor", "hand"},
          {"animate", "1"}},
         nullptr},
        {kMain,
         "//tabctrl/page[1]/check[@name='check_shortcut']",
         {{"pos", "270,352"},
          {"size", "144,32"},
          {"skin", "_skin.sys.checkbox"},
          {"colorText", "#383838ff"},
          {"font", f14.c_str()},
          {"cursor", "hand"}},
         "添加桌面快捷方式"},
        {kMain,
         "//tabctrl/page[1]/check[@name='check_Launcher']",
         {{"pos", "443,352"},
          {"size", "136,32"},
          {"skin", "_skin.sys.checkbox"},
          {"colorText", "#383838ff"},
          {"font", f14.c_str()},
          {"cursor", "hand"}},
         "快速启动栏"},
        {kMain,
         "//tabctrl/page[1]/check[@name='agree']",
         {{"pos", "30,-50,@88,@32"},
          {"skin", "_skin.sys.checkbox"},
          {"colorText", "#383838ff"},
          {"font", f14.c_str()},
          {"cursor", "hand"}},
         "page1_check_read"},
        {kMain,
         "//tabctrl/page[1]/link[@name='link_license']",
         {{"pos", "[5,-50,@150,@32"},
          {"colorText", "#383838ff"},
          {"colorTextHover", "#000000ff"},
          {"font", u14.c_str()},
          {"fontHover", u14.c_str()},
          {"cursor", "hand"}},
         "link_license"},
        {kMain, "//tabctrl/page[2]", {{"title", "页2"}}, nullptr},
        {kMain,
         "//tabctrl/page[2]/img[@name='img_gif']",
         {{"pos", "|-165,90,@330,@200"}, {"skin", "skin.1"}},
         nullptr},
        {kMain,
         "//tabctrl/page[2]/text[@name='txt_gif']",
         {{"pos", "|-165,[10,@330,@20"},
          {"align", "center"},
          {"colorText", "#0392feff"},
          {"font", f14.c_str()}},
         "high_quality_pdf2word"},
        {kMain,
         "//tabctrl/page[2]/progress[@name='pro_install']",
         {{"pos", "|-200,[10,@400,@6"},
          {"min", "0"},
          {"max", "100"},
          {"value", "20"},
          {"bkgndSkin", "skin.progress_bgk"},
          {"posSkin", "skin.progress"}},
         nullptr},
        {kMain,
         "//tabctrl/page[2]/text[@name='txt_percent']",
         {{"pos", "|-50,[5,@100,@20"},
          {"align", "center"},
          {"colorText", "#a6a6a6ff"},
          {"font", f12.c_str()}},
         "0%"},
        {kMain,
         "//tabctrl/page[2]/text[@name='txt_install_status']",
         {{"pos", "|-150,[5,@300,@20"},
          {"align", "center"},
          {"colorText", "#000000ff"},
          {"font", f14.c_str()}},
         ""},
        {kMain, "//tabctrl/page[3]", {{"title", "页3"}}, nullptr},
        {kMain,
         "//tabctrl/page[3]/img",
         {{"pos", "|-75,58,@151,@133"}, {"skin", "skin.logo"}},
         nullptr},
        {kMain,
         "//tabctrl/page[3]/imgbtn[@name='btn_start']",
         {{"pos", "|-70,[50,@140,@50"},
          {"skin", "skin.btn"},
          {"colorText", "#ffffffff"},
          {"font", f20.c_str()},
          {"cursor", "hand"}},
         "start_experience"},
        {kMain,
         "//tabctrl/page[3]/text",
         {{"pos", "|-140,350"},
          {"align", "center"},
          {"colorText", "#fb877d"},
          {"font", b16.c_str()}},
         "您已成功安装最新版本，请放心使用！"},
        // message box
        {kMsgBox, "/SOUI/root", {{"cache", "1"}, {"skin", "skin.shadow"}}, nullptr},
        {kMsgBox,
         "/SOUI/root/window",
         {{"pos", "3,3,-3,-5"}, {"colorBkgnd", "#ffffffff"}, {"colorText", "#ffffff"}},
         nullptr},
        {kMsgBox,
         "/SOUI/root/window/caption",
         {{"pos", "0,0,-0,45"}, {"colorBkgnd", "#fb877d"}},
         nullptr},
        {kMsgBox,
         "/SOUI/root/window/caption/text[@name='txt_title']",
         {{"pos", "25,0,@200,@45"}, {"font", b16.c_str()}},
         "title"},
        {kMsgBox,
         "/SOUI/root/window/caption/imgbtn[@name='btn_close']",
         {{"pos", "-45,10,@30,@20"}, {"skin", "skin.btn_close"}, {"animate", "1"}},
         nullptr},
        {kMsgBox, "/SOUI/root/window/window[@name='body']", {{"pos", "0,[0,-0,-50"}}, nullptr},
        {kMsgBox,
         "/SOUI/root/window/window[@name='body']/text[@name='text_msg']",
         {{"pos", "20,20,@-1,@-1"},
          {"multiLines", "1"},
          {"valign", "middle"},
          {"maxWidth", "300"},
          {"colorText", "#383838ff"},
          {"font", f16.c_str()}},
         "文本"},
        {kMsgBox, "/SOUI/root/window/window[2]", {{"pos", "0,-50,-0,@50"}}, nullptr},
        {kMsgBox,
         "/SOUI/root/window/window[2]/imgbtn[@name='btn_confirm']",
         {{"pos", "-199,|-16,@82,@32"},
          {"skin", "skin.btn"},
          {"colorText", "#ffffff"},
          {"font", f16.c_str()},
          {"animate", "1"}},
         "ok"},
        {kMsgBox,
         "/SOUI/root/window/window[2]/imgbtn[@name='btn_continue']",
         {{"pos", "-102,|-16,@82,@32"},
          {"skin", "skin.btn"},
          {"font", f16.c_str()},
          {"animate", "1"}},
         "continue"},
        {kMsgBox,
         "/SOUI/root/window/window[2]/imgbtn[@name='btn_cancel']",
         {{"pos", "-102,|-16,@82,@32"},
          {"skin", "skin.btn"},
          {"font", f16.c_str()},
          {"animate", "1"}},
         "cancel"},
        // licence dialog
        {kProtocol, "/SOUI/root", {{"cache", "1"}, {"skin", "skin.shadow"}}, nullptr},
        {kProtocol,
         "/SOUI/root/window",
         {{"pos", "5,5,-5,-10"}, {"colorBkgnd", "#ffffffff"}, {"colorText", "#ffffff"}},
         nullptr},
        {kProtocol,
         "/SOUI/root/window/imgbtn[@id='2']",
         {{"pos", "-40,5,@30,@20"},
          {"skin", "skin.btn_close"},
          {"cursor", "hand"},
          {"tip", "close"},
          {"animate", "1"}},
         nullptr},
        {kProtocol,
         "/SOUI/root/window/text",
         {{"pos", "|-115,[10,@230,@20"},
          {"align", "center"},
          {"colorText", "#383838ff"},
          {"font", b20.c_str()}},
         "user_protocol"},
        {kProtocol,
         "/SOUI/root/window/richedit[@name='richedit_rtf']",
         {{"pos", "20,[10,-20,-20"},
          {"readOnly", "1"},
          {"multiLines", "1"},
          {"wordWrap", "1"},
          {"vscrollBar", "1"},
          {"sbSkin", "skin_scrollbar"},
          {"colorBkgnd", "#eff4f7ff"},
          {"rtf", "RTF:rtf_protocol_rtf"}},
         nullptr},
    };
    return rows;
}

void ForEachElement(pugi::xml_node node, const std::function<void(pugi::xml_node)>& fn) {
    for (pugi::xml_node child : node.children()) {
        if (child.type() != pugi::node_element)
            continue;
        fn(child);
        ForEachElement(child, fn);
    }
}

}  // namespace

TEST(UiResources, LayoutsPlaceEveryControlWithItsAttributesAndText) {
    for (const char* layout : {kMain, kProtocol, kMsgBox}) {
        pugi::xml_document doc;
        ASSERT_TRUE(uires::LoadXml(doc, "LAYOUT", layout));
        for (const ControlRow& row : Controls()) {
            if (row.pszLayout != layout)
                continue;
            pugi::xpath_node_set found = doc.select_nodes(row.pszPath);
            ASSERT_EQ(found.size(), 1u) << layout << " " << row.pszPath;
            pugi::xml_node node = found.first().node();
            for (const auto& [name, value] : row.attrs) {
                pugi::xml_attribute a = node.attribute(name);
                EXPECT_TRUE(a) << layout << " " << row.pszPath << " lacks " << name;
                EXPECT_STREQ(a.value(), value) << layout << " " << row.pszPath << " @" << name;
            }
            if (row.pszText) {
                EXPECT_STREQ(node.text().get(), row.pszText) << layout << " " << row.pszPath;
            }
        }
    }
}

TEST(UiResources, LayoutWindowAttributes) {
    struct Row {
        const char* pszLayout;
        Attrs attrs;
    };
    const Row rows[] = {
        {kMain,
         {{"name", "mainWindow"},
          {"title", ""},
          {"bigIcon", "ICON_LOGO:32"},
          {"smallIcon", "ICON_LOGO:16"},
          {"width", "806"},
          {"height", "488"},
          {"resizable", "0"},
          {"wndType", "appMain"},
          {"appWnd", "1"},
          {"translucent", "1"},
          {"trCtx", "dlg_main"},
          {"margin", "5,5,5,5"}}},
        {kMsgBox,
         {{"name", "window"},
          {"title", "布局"},
          {"trCtx", "dlg_msgbox"},
          {"bigIcon", "ICON_LOGO:32"},
          {"smallIcon", "ICON_LOGO:16"},
          {"width", "300"},
          {"height", "160"},
          {"margin", "3,3,3,5"},
          {"maxInset", "3,3,3,5"},
          {"minsize", "200,200"},
          {"wndType", "8"},
          {"toolWindow", "1"},
          {"translucent", "1"}}},
        {kProtocol,
         {{"name", "window"},
          {"title", "布局"},
          {"trCtx", "dlg_protocol"},
          {"bigIcon", "ICON_LOGO:32"},
          {"smallIcon", "ICON_LOGO:16"},
          {"width", "660"},
          {"height", "350"},
          {"margin", "5,5,5,5"},
          {"wndType", "8"},
          {"toolWindow", "1"},
          {"translucent", "1"}}},
    };
    for (const Row& row : rows) {
        pugi::xml_document doc;
        ASSERT_TRUE(uires::LoadXml(doc, "LAYOUT", row.pszLayout));
        pugi::xml_node wnd = doc.child("SOUI");
        ASSERT_TRUE(wnd) << row.pszLayout;
        for (const auto& [name, value] : row.attrs) {
            EXPECT_TRUE(wnd.attribute(name)) << row.pszLayout << " lacks " << name;
            EXPECT_STREQ(wnd.attribute(name).value(), value) << row.pszLayout << " @" << name;
        }
        // One client root, holding everything else.
        EXPECT_EQ(wnd.select_nodes("root").size(), 1u) << row.pszLayout;
        EXPECT_EQ(std::distance(wnd.children().begin(), wnd.children().end()), 1) << row.pszLayout;
    }
}

TEST(UiResources, LayoutValuesFollowTheGrammarsTheToolkitParses) {
    // Each pos value: optional prefix, then a number; "@" only as a size.
    const std::regex value(R"(^(\||\[|\{)?-?\d+$)");
    const std::regex size(R"(^@(-1|\d+)$)");
    const std::regex color(R"(^(#[0-9a-f]{6}([0-9a-f]{2})?|rgb\(\d{1,3},\d{1,3},\d{1,3}\))$)");
    const std::regex fontKey(R"(^(face|size|bold|italic|underline|adding):.+$)");
    const std::set<std::string> classes = {"root", "window",   "caption", "imgbtn", "tabctrl",
                                           "page", "check",    "link",    "edit",   "img",
                                           "text", "progress", "richedit"};
    for (const char* layout : {kMain, kProtocol, kMsgBox}) {
        pugi::xml_document doc;
        ASSERT_TRUE(uires::LoadXml(doc, "LAYOUT", layout));
        ForEachElement(doc.child("SOUI"), [&](pugi::xml_node n) {
            EXPECT_TRUE(classes.count(n.name())) << layout << ": unknown class " << n.name();
            if (pugi::xml_attribute pos = n.attribute("pos")) {
                std::vector<std::string> parts;
                std::string s = pos.value();
                for (size_t start = 0;;) {
                    size_t comma = s.find(',', start);
                    parts.push_back(s.substr(start, comma - start));
                    if (comma == std::string::npos)
                        break;
                    start = comma + 1;
                }
                ASSERT_TRUE(parts.size() == 2 || parts.size() == 4) << layout << " pos=" << s;
                for (size_t i = 0; i < parts.size(); ++i) {
                    bool ok = std::regex_match(parts[i], value) ||
                              (i >= 2 && std::regex_match(parts[i], size));
                    EXPECT_TRUE(ok) << layout << " pos=" << s << " part " << i;
                }
                if (parts.size() == 4) {
                    EXPECT_FALSE(n.attribute("size")) << layout << " pos=" << s;
                }
            }
            for (pugi::xml_attribute a : n.attributes()) {
                std::string name = a.name();
                if (name.rfind("color", 0) == 0) {
                    EXPECT_TRUE(std::regex_match(a.value(), color))
                        << layout << " " << name << "=" << a.value();
                }
                if (name == "font" || name == "fontHover") {
                    std::string f = a.value();
                    EXPECT_EQ(f.rfind(kFace, 0), 0u) << layout << " " << f;
                    for (size_t start = 0;;) {
                        size_t comma = f.find(',', start);
                        EXPECT_TRUE(std::regex_match(f.substr(start, comma - start), fontKey))
                            << layout << " " << f;
                        if (comma == std::string::npos)
                            break;
                        start = comma + 1;
                    }
                }
            }
        });
    }
}

TEST(UiResources, EverySkinALayoutUsesIsDefined) {
    pugi::xml_document skins;
    ASSERT_TRUE(uires::LoadXml(skins, "VALUES", "SKIN"));
    std::set<std::string> defined;
    for (pugi::xml_node s : skins.child("skin").children())
        defined.insert(s.attribute("name").value());
    for (const char* layout : {kMain, kProtocol, kMsgBox}) {
        pugi::xml_document doc;
        ASSERT_TRUE(uires::LoadXml(doc, "LAYOUT", layout));
        ForEachElement(doc.child("SOUI"), [&](pugi::xml_node n) {
            for (const char* attr : {"skin", "bkgndSkin", "posSkin", "sbSkin"}) {
                std::string name = n.attribute(attr).value();
                if (name.empty() || name == "_skin.sys.checkbox")
                    continue;
                EXPECT_TRUE(defined.count(name))
                    << layout << ": skin " << name << " is not in the skin table";
            }
        });
    }
    // The carousel switches img_gif among skin.1 .. skin.3 at run time.
    for (const char* name : {"skin.1", "skin.2", "skin.3"})
        EXPECT_TRUE(defined.count(name)) << name;
}

TEST(UiResources, LayoutTextsAreTranslatedInTheirWindowsContextOrLiteral) {
    // A text made of key characters must be in the table under the window's
    // context, in both languages.
    const std::regex key(R"(^[a-z0-9_]+$)");
    for (const char* table : {"LANG_CN", "LANG_EN"}) {
        pugi::xml_document tr;
        ASSERT_TRUE(uires::LoadXml(tr, "TRANSLATOR", table));
        for (const char* layout : {kMain, kProtocol, kMsgBox}) {
            pugi::xml_document doc;
            ASSERT_TRUE(uires::LoadXml(doc, "LAYOUT", layout));
            std::string ctx = doc.child("SOUI").attribute("trCtx").value();
            pugi::xml_node context =
                tr.child("language").find_child_by_attribute("context", "name", ctx.c_str());
            ASSERT_TRUE(context) << table << " has no context " << ctx;
            std::set<std::string> keys;
            for (pugi::xml_node m : context.children("message"))
                keys.insert(m.child("source").text().get());
            ForEachElement(doc.child("SOUI"), [&](pugi::xml_node n) {
                std::string text = n.text().get();
                if (text.empty())
                    return;
                // Literal texts may have entries too (the closing sentence).
                if (std::regex_match(text, key)) {
                    EXPECT_TRUE(keys.count(text)) << table << " " << ctx << " lacks " << text;
                }
            });
        }
    }
}
