#include "ui/resources/NamedIds.h"

// IDs follow the order in which the names first appear in the main window,
// the licence dialog and the message box; keep the rows in code-unit order
// (upper case before lower case: check_Launcher before check_agree).
const SOUI::SNamedID g_TovadocNamedIds[] = {
    {L"_name_start", 65535},
    {L"agree", 65546},
    {L"body", 65556},
    {L"btn_cancel", 65560},
    {L"btn_close", 65537},
    {L"btn_confirm", 65558},
    {L"btn_continue", 65559},
    {L"btn_installer", 65540},
    {L"btn_min", 65536},
    {L"btn_open", 65543},
    {L"btn_start", 65553},
    {L"check_Launcher", 65545},
    {L"check_agree", 65539},
    {L"check_shortcut", 65544},
    {L"edit_path", 65542},
    {L"img_gif", 65548},
    {L"link_license", 65547},
    {L"pro_install", 65550},
    {L"richedit_rtf", 65554},
    {L"tab_main", 65538},
    {L"text_msg", 65557},
    {L"txt_gif", 65549},
    {L"txt_install_status", 65552},
    {L"txt_percent", 65551},
    {L"txt_title", 65555},
    {L"win_border", 65541},
};

const size_t g_nTovadocNamedIds = sizeof(g_TovadocNamedIds) / sizeof(g_TovadocNamedIds[0]);
