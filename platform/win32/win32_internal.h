// Shared between the Windows backend's own files.
#pragma once

#include <windows.h>

#include "platform/dialog.h"

namespace win32 {

// A Window of the logic is the dialog's HWND itself: nothing stands behind
// the opaque pointer, so any Win32 tool sees exactly what the logic sees.
inline HWND toHwnd(Window window) { return reinterpret_cast<HWND>(window); }
inline Window toWindow(HWND hwnd) { return reinterpret_cast<Window>(hwnd); }

}  // namespace win32
