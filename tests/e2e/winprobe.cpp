// Does to a Windows program's windows, under Wine, what the end-to-end tests cannot do with X
// input, or asks them what a screenshot cannot tell.
//   winprobe close CLASS      posts WM_CLOSE to the top-level window of that class (Alt+F4)
//   winprobe endsession CLASS sends it the end of the session: WM_QUERYENDSESSION, WM_ENDSESSION
//   winprobe controls CLASS   prints each visible child control with a text as
//                             "CLASS ID WxH+X+Y" (screen coordinates)
// Exit status 1 when there is no such window, 2 for bad arguments.
#include <windows.h>

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

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fwprintf(stderr, L"usage: winprobe close|endsession|controls CLASS\n");
    return 2;
  }
  HWND window = FindWindowW(argv[2], nullptr);
  if (window == nullptr) {
    std::fwprintf(stderr, L"winprobe: no window of class %ls\n", argv[2]);
    return 1;
  }
  if (std::wcscmp(argv[1], L"close") == 0) {
    PostMessageW(window, WM_CLOSE, 0, 0);
  } else if (std::wcscmp(argv[1], L"endsession") == 0) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &answer);
  } else if (std::wcscmp(argv[1], L"controls") == 0) {
    EnumChildWindows(window, print_control, 0);
  } else {
    return 2;
  }
  return 0;
}
