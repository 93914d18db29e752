#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ResourceHelpers.h"

namespace {

struct Message {
    const char* pszContext;
    const char* pszKey;
    const char* pszChinese;
    const char* pszEnglish;
};

// The stored order of both tables.
const Message kMessages[] = {
    {"editmenu", "copy", "复制", "Copy"},
    {"editmenu", "cut", "剪切", "Shear"},
    {"editmenu", "paste", "粘贴", "Paste"},
    {"dlg_msgbox", "title", "提示", "Notice"},
    {"dlg_msgbox", "ok", "确定", "OK"},
    {"dlg_msgbox", "cancel", "取消", "Cancel"},
    {"dlg_msgbox", "continue", "继续", "Continue"},
    {"dlg_msgbox", "布局", "提示", "Notice"},
    {"dlg_msgbox", "close", "关闭", "Close"},
    {"dlg_protocol", "user_protocol", "用户协议", "User protocol"},
    {"dlg_protocol", "布局", "用户协议", "User protocol"},
    {"dlg_protocol", "close", "关闭", "Close"},
    {"dlg_main", "title", "Tovadoc安装程序", "Tovadoc install program"},
    {"dlg_main", "page1_qvdoc_conv", "Tovadoc转WORD", "Tovadoc to WORD converter"},
    {"dlg_main", "page1_qvdoc_solving", "专注解决PDF文档问题",
     "Focus on solving PDF document problems"},
    {"dlg_main", "page1_install", "安装", "Install"},
    {"dlg_main", "page1_check_read", "已经阅读并", "Have read and"},
    {"dlg_main", "link_license", "同意许可", "Consent to permit"},
    {"dlg_main", "high_quality_pdf2word", "高质量的PDF转WORD", "High quality PDF to WORD"},
    {"dlg_main", "24hours_online", "7 x 12小时在线客服", "7 x 12 hours online customer service"},
    {"dlg_main", "professional_team", "专业团队，精心研发",
     "Professional team, meticulous research and development"},
    {"dlg_main", "start_experience", "立即体验", "Start experience"},
    {"dlg_main", "您已成功安装最新版本，请放心使用！", "您已成功安装最新版本，请放心使用！",
     "The latest version is installed. Enjoy!"},
    {"dlg_main", "minimize", "最小化", "Minimize"},
    {"dlg_main", "close", "关闭", "Close"},
    {"dlg_main", "browse", "选择安装位置", "Choose the install folder"},
    {"dlg_main", "install_folder", "安装位置", "Install folder"},
    {"dlg_main", "install_progress", "安装进度", "Installation progress"},
    {"dlg_main", "next_picture", "下一张图片", "Next picture"},
    {"install_tip", "dir_error", "当前安装路径无法创建,请重新指定!",
     "The install directory is invalid. Please reassign it!"},
    {"install_tip", "dir_reason_denied", "没有权限创建文件夹 %s", "No permission to create %s."},
    {"install_tip", "dir_reason_read_only", "%s 位于只读文件系统上",
     "%s is on a read-only file system."},
    {"install_tip", "dir_reason_not_folder", "%s 已存在，但不是文件夹",
     "%s exists and is not a folder."},
    {"install_tip", "dir_reason_too_long", "名称过长：%s", "The name is too long: %s"},
    {"install_tip", "open_dir", "从下面选文件夹目录:", "Select Folder directory:"},
    {"install_tip", "install_running", "另一个安装程序正在从此文件夹运行,请等它结束!",
     "Another installation is running from this folder. Please wait until it ends."},
    {"install_cli", "licence_not_accepted",
     "未安装任何内容：尚未接受许可协议。请用 --show-licence 阅读协议，再加上 --accept-licence "
     "重新运行。",
     "Nothing was installed: the licence was not accepted. Read it with --show-licence, then run "
     "again with --accept-licence."},
    {"install_cli", "installing_into", "正在安装到 %s", "Installing into %s"},
    {"install_cli", "result_success", "安装完成：%s", "Installed into %s"},
    {"install_cli", "result_failure", "安装失败：%s", "Installation failed: %s"},
    {"install_cli", "result_interrupted", "安装已被中止，没有留下下载了一半的文件。",
     "The installation was stopped; no half-downloaded file was left."},
    {"msg_tip", "net_check", "检测Net环境", "Detection NET environment"},
    {"msg_tip", "down_net", "下载 Net Framework 组件", "Download net framework 4.0"},
    {"msg_tip", "down_net_error", "下载 Net Framework 组件失败",
     "Download net framework 4.0 failure"},
    {"msg_tip", "instll_net", "开始安装 Net Framework 组件", "Start Install net framework 4.0"},
    {"msg_tip", "instll_net_error", "安装 Net Framework 组件失败",
     "Install net framework 4.0 failure"},
    {"msg_tip", "instll_net_succeed", "安装 Net Framework 组件成功",
     "Install net framework 4.0 success"},
    {"msg_tip", "down_pack", "下载安装包", "Download installation package"},
    {"msg_tip", "down_pack_error", "下载安装包失败", "Download failed"},
    {"msg_tip", "install_pack_ing", "正在安装...", "Being installed..."},
    {"msg_tip", "install_pack_succeed", "安装完成", "Install complete"},
    {"msg_tip", "install_pack_error", "安装失败", "Install failure"},
    // The worker's literal stage texts are keys too.
    {"msg_tip", "检测环境...", "检测环境...", "Checking the system..."},
    {"msg_tip", "正在下载net包...", "正在下载net包...", "Downloading .NET Framework..."},
    {"msg_tip", "正在下载安装包...", "正在下载安装包...",
     "Downloading the installation package..."},
    {"msg_tip", "正在安装...", "正在安装...", "Installing..."},
    // Why a stage failed; %d is the number the reason names.
    {"msg_tip", "reason_separator", "：", ": "},
    {"msg_tip", "reason_unreachable", "无法连接服务器，请检查网络",
     "cannot reach the server, check the network"},
    {"msg_tip", "reason_download_timed_out", "服务器响应超时，请稍后重试",
     "the server did not answer in time"},
    {"msg_tip", "reason_cut_off", "下载中断，请重试", "the download broke off, try again"},
    {"msg_tip", "reason_not_found", "服务器上找不到文件 (404)",
     "file not found on the server (404)"},
    {"msg_tip", "reason_http_status", "服务器返回 %d，请稍后重试",
     "the server answered %d, try later"},
    {"msg_tip", "reason_certificate", "服务器证书不可信",
     "the server's certificate is not trusted"},
    {"msg_tip", "reason_no_trust_store", "系统中找不到证书，无法建立安全连接",
     "no certificates on this system to check the server with"},
    {"msg_tip", "reason_disk_full", "磁盘已满，请清理空间", "the disk is full, free some space"},
    {"msg_tip", "reason_local_file", "无法写入安装程序所在文件夹",
     "cannot write beside the installer"},
    {"msg_tip", "reason_hash_mismatch", "请重试", "please try again"},
    {"msg_tip", "reason_bad_pin", "Install.ini 中的校验值无效", "check Install.ini"},
    {"msg_tip", "reason_bad_part", "服务器发来的数据与文件不符，请重试",
     "the server sent a wrong piece, try again"},
    {"msg_tip", "reason_range_refused", "服务器拒绝继续下载，请重试",
     "the server refused to resume, try again"},
    {"msg_tip", "reason_unknown", "未知错误，请重试", "unexpected error, try again"},
    {"msg_tip", "reason_install_timed_out", "安装包 %d 分钟内未完成",
     "not finished within %d minutes"},
    {"msg_tip", "reason_cannot_start", "无法启动安装包", "the package could not be started"},
    {"msg_tip", "reason_exit_code", "安装包返回错误码 %d", "the package ended with code %d"},
    {"msg_tip", "down_net_hash_error", "Net Framework 组件校验失败",
     "The net framework download failed verification"},
    {"msg_tip", "down_pack_hash_error", "安装包校验失败",
     "The installation package failed verification"},
};

struct Stored {
    std::string strContext, strKey, strText;
};

// Flattens a table in document order; a context appearing twice, or a
// message without both parts, fails the test.
std::vector<Stored> Flatten(const pugi::xml_document& doc, const char* pszTable) {
    std::vector<Stored> out;
    std::vector<std::string> contexts;
    for (pugi::xml_node ctx : doc.child("language").children()) {
        EXPECT_STREQ(ctx.name(), "context") << pszTable;
        std::string name = ctx.attribute("name").value();
        for (const std::string& seen : contexts)
            EXPECT_NE(seen, name) << pszTable << ": context twice";
        contexts.push_back(name);
        for (pugi::xml_node m : ctx.children()) {
            EXPECT_STREQ(m.name(), "message") << pszTable;
            EXPECT_TRUE(m.child("source") && m.child("translation")) << pszTable << " " << name;
            out.push_back(
                {name, m.child("source").text().get(), m.child("translation").text().get()});
        }
    }
    return out;
}

std::string Lookup(const pugi::xml_document& doc, const char* pszContext, const char* pszKey) {
    pugi::xml_node ctx =
        doc.child("language").find_child_by_attribute("context", "name", pszContext);
    for (pugi::xml_node m : ctx.children("message"))
        if (std::string(m.child("source").text().get()) == pszKey)
            return m.child("translation").text().get();
    return pszKey;  // an untranslated key shows as itself
}

}  // namespace

TEST(UiResources, TranslationTablesCarryEveryMessageInStoredOrder) {
    for (bool bChinese : {true, false}) {
        const char* table = bChinese ? "LANG_CN" : "LANG_EN";
        pugi::xml_document doc;
        ASSERT_TRUE(uires::LoadXml(doc, "TRANSLATOR", table));
        pugi::xml_node lang = doc.child("language");
        ASSERT_TRUE(lang) << table;
        EXPECT_STREQ(lang.attribute("name").value(), "简体中文") << table;
        EXPECT_STREQ(lang.attribute("guid").value(), "{9369ba9a-ed91-475f-a873-9085560976a2}")
            << table;

        // The first context is empty and has no name.
        pugi::xml_node first = lang.first_child();
        ASSERT_TRUE(first);
        EXPECT_STREQ(first.name(), "context");
        EXPECT_FALSE(first.attribute("name")) << table;
        EXPECT_FALSE(first.first_child()) << table;

        std::vector<Stored> stored = Flatten(doc, table);
        ASSERT_EQ(stored.size(), std::size(kMessages)) << table;
        for (size_t i = 0; i < stored.size(); ++i) {
            const Message& m = kMessages[i];
            EXPECT_EQ(stored[i].strContext, m.pszContext) << table << " #" << i;
            EXPECT_EQ(stored[i].strKey, m.pszKey) << table << " #" << i;
            EXPECT_EQ(stored[i].strText, bChinese ? m.pszChinese : m.pszEnglish)
                << table << " #" << i;
        }
    }
}

TEST(UiResources, SameKeyDiffersByContextAndMissingKeysStayKeys) {
    pugi::xml_document cn, en;
    ASSERT_TRUE(uires::LoadXml(cn, "TRANSLATOR", "LANG_CN"));
    ASSERT_TRUE(uires::LoadXml(en, "TRANSLATOR", "LANG_EN"));
    EXPECT_EQ(Lookup(cn, "dlg_msgbox", "title"), "提示");
    EXPECT_EQ(Lookup(cn, "dlg_main", "title"), "Tovadoc安装程序");
    EXPECT_EQ(Lookup(en, "dlg_main", "title"), "Tovadoc install program");
    // Keys used in the wrong context, and literal texts, are not found.
    EXPECT_EQ(Lookup(cn, "msg_tip", "title"), "title");
    EXPECT_EQ(Lookup(cn, "dlg_main", "net_check"), "net_check");
    EXPECT_EQ(Lookup(en, "dlg_main", "快速启动栏"), "快速启动栏");
    // Every status key the install workflow sends is there in both languages.
    for (const char* key : {"net_check", "down_net", "down_net_error", "instll_net",
                            "instll_net_error", "instll_net_succeed", "down_pack",
                            "down_pack_error", "install_pack_ing", "install_pack_succeed",
                            "install_pack_error", "down_net_hash_error", "down_pack_hash_error"}) {
        EXPECT_NE(Lookup(cn, "msg_tip", key), key);
        EXPECT_NE(Lookup(en, "msg_tip", key), key);
    }
}
