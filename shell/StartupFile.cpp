#include "shell/StartupFile.h"

LPCWSTR startupFilePath = nullptr;
