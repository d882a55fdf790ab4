// frmTspConf on Windows: a fixed-size window with the controls of its table, sized from twips.
#pragma once

#include <windows.h>

namespace rovanel {

// Creates and shows the dialog, modeless, sized for the DPI of its monitor; the focus starts on
// its first control (cmdOk). Closing it in any way ends the program. Null if it cannot be
// created.
HWND load_frmTspConf(HINSTANCE instance);

}  // namespace rovanel
