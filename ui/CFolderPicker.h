#pragma once
#include <functional>
#include <string>

// Asks the user for a folder: true with its path, false when the user
// cancelled or no picker can be shown. strFolder comes in as the folder to
// open at (empty: the picker's own choice). The main window holds one of these,
// so tests can answer in the user's place.
using FolderPickerFn = std::function<bool(const std::wstring& strPrompt, std::wstring& strFolder)>;

// The desktop's own folder chooser (GtkFileChooserNative, folder mode),
// owned by the application's window in view. False with a log line when
// there is no display or the chosen folder has no local path (a remote
// location).
bool PickFolderNative(const std::wstring& strPrompt, std::wstring& strFolder);

// Closes the desktop's folder chooser while it runs, as if cancelled; false
// when none is open. Window thread only.
bool EndFolderPicker();
