#include "ui/CFolderPicker.h"

#include <gtk/gtk.h>

#include "platform/TextConvert.h"
#include "platform/WriteLog.h"

bool PickFolderNative(const std::wstring& strPrompt, std::wstring& strFolder) {
    if (!gdk_display_get_default()) {
        WriteLog(L"%s no display to show the folder chooser on",
                 L"CFolderPicker::PickFolderNative");
        return false;
    }
    GtkFileChooserNative* pChooser =
        gtk_file_chooser_native_new(WideToAnsi(strPrompt).c_str(), nullptr,
                                    GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, nullptr, nullptr);
    gtk_file_chooser_set_create_folders(GTK_FILE_CHOOSER(pChooser), TRUE);
    bool bChosen = false;
    if (gtk_native_dialog_run(GTK_NATIVE_DIALOG(pChooser)) == GTK_RESPONSE_ACCEPT) {
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
