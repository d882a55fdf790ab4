// Asks a Windows program's windows, under Wine, what the end-to-end tests cannot see in a
// screenshot, or sends them the close request that Alt+F4 or the end of a session sends.
//   winprobe close CLASS      posts WM_CLOSE to the top-level window of that class
//   winprobe controls CLASS   prints each visible child control with a text as
//                             "CLASS ID WxH+X+Y" (screen coordinates)
//   winprobe monitors         prints what a program sees of the monitors and their scale:
//                             "monitor WxH+X+Y dpi=D [primary]" for each, "virtual WxH+X+Y",
//                             "screen WxH" and "window dpi=D logpixels=D" (a window of its own
//                             on the primary monitor, the screen's device context)
// Exit status 1 when there is no such window, 2 for bad arguments.
#include <windows.h>
// After windows.h, which it needs.
#include <shellscalingapi.h>

#include <cstdio>
#include <cwchar>

namespace {

BOOL CALLBACK print_control(HWND control, LPARAM) {
  wchar_t class_name[64];
  RECT r;
  if (IsWindowVisible(control) && GetWindowTextLengthW(control) > 0 &&
      GetClassNameW(control, class_name, 64) > 0 && GetWindowRect(control, &r)) {
    std::wprintf(L"%ls %d %ldx%ld+%ld+%ld\n", class_name, GetDlgCtrlID(control), r.right - r.left,
                 r.bottom - r.top, r.left, r.top);
  }
  return TRUE;
}

BOOL CALLBACK print_monitor(HMONITOR monitor, HDC, LPRECT, LPARAM) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  UINT dpi = 0;
  UINT dpi_y = 0;
  if (GetMonitorInfoW(monitor, &info) &&
      SUCCEEDED(GetDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &dpi, &dpi_y))) {
    const RECT& r = info.rcMonitor;
    std::wprintf(L"monitor %ldx%ld%+ld%+ld dpi=%u%ls\n", r.right - r.left, r.bottom - r.top, r.left,
                 r.top, dpi, (info.dwFlags & MONITORINFOF_PRIMARY) != 0 ? L" primary" : L"");
  }
  return TRUE;
}

int monitors() {
  EnumDisplayMonitors(nullptr, nullptr, print_monitor, 0);
  std::wprintf(L"virtual %dx%d%+d%+d\nscreen %dx%d\n", GetSystemMetrics(SM_CXVIRTUALSCREEN),
               GetSystemMetrics(SM_CYVIRTUALSCREEN), GetSystemMetrics(SM_XVIRTUALSCREEN),
               GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CXSCREEN),
               GetSystemMetrics(SM_CYSCREEN));
  HWND window =
      CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  HDC screen = GetDC(nullptr);
  std::wprintf(L"window dpi=%u logpixels=%d\n", GetDpiForWindow(window),
               GetDeviceCaps(screen, LOGPIXELSX));
  ReleaseDC(nullptr, screen);
  DestroyWindow(window);
  return 0;
}

int usage() {
  std::fwprintf(stderr, L"usage: winprobe close|controls CLASS | winprobe monitors\n");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wcscmp(argv[1], L"monitors") == 0) {
    return monitors();
  }
  if (argc != 3) {
    return usage();
  }
  HWND window = FindWindowW(argv[2], nullptr);
  if (window == nullptr) {
    std::fwprintf(stderr, L"winprobe: no window of class %ls\n", argv[2]);
    return 1;
  }
  if (std::wcscmp(argv[1], L"close") == 0) {
    PostMessageW(window, WM_CLOSE, 0, 0);
  } else if (std::wcscmp(argv[1], L"controls") == 0) {
    EnumChildWindows(window, print_control, 0);
  } else {
    return usage();
  }
  return 0;
}
