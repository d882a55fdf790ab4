// Text between the core's UTF-8 and Windows' UTF-16, and the font of the user interface.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace rovanel {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

// The system's message font (what message boxes use) at a DPI, for labels, buttons and the
// saver's text. One font per DPI for the whole process, never freed: the process ends with
// ExitProcess.
HFONT ui_font(UINT dpi);

}  // namespace rovanel
