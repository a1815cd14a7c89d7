// Process entry: command-line jobs, or the viewer.

#include "platform/win32.h"
#include "shell/Application.h"
#include "commands/CommandLine.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr) return 1;
    const CommandLine commandLine = CommandLine::parse(count, arguments);
    int status;
    if (commandLine.mode != CommandLine::Mode::Viewer || !commandLine.error.empty()) {
        VexoUseStandardStreams();
        status = runCommand(commandLine);
    } else if (!VexoHandViewerToDesktopTwin(&status)) {
        const ViewerOptions options{commandLine.realtime, commandLine.fit, commandLine.up};
        status = runViewer(instance, commandLine.files.empty() ? nullptr : commandLine.files.front(), options);
    }
    LocalFree(arguments);  // the start-up path lived in it for the whole run
    return status;
}
