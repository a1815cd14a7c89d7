#pragma once

// The process's arguments (platform-internal), as main() received them; GetCommandLineW and
// CommandLineToArgvW serve them.
void setProcessArguments(int argc, char** argv);
