#pragma once

// Where the Open dialog starts (platform-internal), by the rule Windows applies from Windows 7 on:
// when lpstrInitialDir is the value the program passed the first time it opened the dialog, the
// dialog reopens in the folder the user last chose a file in; otherwise it starts in
// lpstrInitialDir (a path in lpstrFile is not used here). Windows keeps the last folder for the
// next runs as well; here it lasts as long as the process, which keeps no settings.

#include <optional>
#include <string>

#include "platform/win32.h"

class OpenDialogFolder {
public:
    // The folder to start in, or none to leave the choice to the chooser. Remembers the first
    // lpstrInitialDir it is given.
    std::optional<std::u16string> start(LPCWSTR initialDir);
    // A file was chosen: its folder is where the next dialog reopens.
    void chosen(const std::u16string& path);

private:
    bool opened = false;
    std::optional<std::u16string> firstInitialDir;
    std::u16string lastFolder;  // empty until a file was chosen
};
