#include "ui/CFolderPicker.h"

#include <gtk/gtk.h>

#include "platform/TextConvert.h"
#include "platform/WriteLog.h"

namespace {

// The chooser belongs to the application's window in view (the main
// window), so the desktop keeps it above that one and places it over it;
// under Wayland an ownerless chooser may open anywhere, behind it too.
GtkWindow* OwnerWindow() {
    GtkWindow* pOwner = nullptr;
    GList* pList = gtk_window_list_toplevels();
    for (GList* p = pList; p; p = p->next) {
        auto* pWindow = GTK_WINDOW(p->data);
        if (!gtk_widget_get_visible(GTK_WIDGET(pWindow)) ||
            gtk_window_get_window_type(pWindow) != GTK_WINDOW_TOPLEVEL)
            continue;
        if (!pOwner || gtk_window_is_active(pWindow))
            pOwner = pWindow;
    }
    g_list_free(pList);
    return pOwner;
}

// The chooser running now (window thread only), for EndFolderPicker.
GtkNativeDialog* g_pRunningChooser = nullptr;

}  // namespace

bool EndFolderPicker() {
    if (!g_pRunningChooser)
        return false;
    WriteLog(L"%s the folder chooser is closed unanswered", L"CFolderPicker::EndFolderPicker");
    // Hiding ends gtk_native_dialog_run's loop without an answer.
    gtk_native_dialog_hide(g_pRunningChooser);
    return true;
}

bool PickFolderNative(const std::wstring& strPrompt, std::wstring& strFolder) {
    if (!gdk_display_get_default()) {
        WriteLog(L"%s no display to show the folder chooser on",
                 L"CFolderPicker::PickFolderNative");
        return false;
    }
    GtkFileChooserNative* pChooser =
        gtk_file_chooser_native_new(WideToAnsi(strPrompt).c_str(), OwnerWindow(),
                                    GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, nullptr, nullptr);
    gtk_file_chooser_set_create_folders(GTK_FILE_CHOOSER(pChooser), TRUE);
    if (!strFolder.empty()) {
        gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(pChooser),
                                            WideToAnsi(strFolder).c_str());
    }
    bool bChosen = false;
    g_pRunningChooser = GTK_NATIVE_DIALOG(pChooser);
    const gint nResponse = gtk_native_dialog_run(GTK_NATIVE_DIALOG(pChooser));
    g_pRunningChooser = nullptr;
    if (nResponse == GTK_RESPONSE_ACCEPT) {
        // A folder outside the file system (a remote location) has no path:
        // that answer counts as a cancel.
        gchar* pszPath = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(pChooser));
        if (pszPath && *pszPath) {
            strFolder = AnsiToWide(pszPath);
            bChosen = true;
        } else {
            WriteLog(L"%s the chosen folder has no local path", L"CFolderPicker::PickFolderNative");
        }
        g_free(pszPath);
    }
    g_object_unref(pChooser);
    return bChosen;
}
