#pragma once

// Locators of the test program's own resources, formed as the program forms them from its module
// handle (whose value, and so the locator's digits, differ between platforms).

#include "platform/win32.h"
#include "resources/Locator.h"
#include "resources/WideText.h"

inline HMODULE ownModule()
{
    return GetModuleHandleW(nullptr);
}

inline WideText ownResource(LPCWSTR name)
{
    WideString locator;
    makeLocator(ownModule(), name, locator);
    WideText text(locator.data, locator.length);
    locator.release();
    return text;
}
