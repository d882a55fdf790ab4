#include "platform/win32/settings_dialog.hpp"

#include <commctrl.h>

#include <cstddef>

#include "platform/win32/win32_text.hpp"
#include "shell/texts.hpp"

namespace rovanel {

namespace {

constexpr const wchar_t* kClassName = L"Rovanel.frmTspConf";
constexpr int kFirstControlId = 100;

HWND focus_control = nullptr;  // restored when the dialog is activated again

bool is_button(int id) {
  const int index = id - kFirstControlId;
  return index >= 0 && index < static_cast<int>(frmTspConf.controls.size()) &&
         frmTspConf.controls[static_cast<std::size_t>(index)].kind == ControlKind::kButton;
}

// The unload handler: ends the program.
void unload() {
  ExitProcess(0);
}

LRESULT CALLBACK window_proc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_COMMAND:
      // A click of cmdOk or cmdCancel; Enter comes from the dialog manager as IDOK. Escape
      // (IDCANCEL) does nothing: neither button is the cancel button.
      if (LOWORD(w) == IDOK || (HIWORD(w) == BN_CLICKED && is_button(LOWORD(w)))) {
        unload();
      }
      return 0;
    case WM_CLOSE:
      unload();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(w) == WA_INACTIVE) {
        focus_control = GetFocus();
      } else if (focus_control != nullptr) {
        SetFocus(focus_control);
      }
      return 0;
    default:
      return DefWindowProcW(hwnd, message, w, l);
  }
}

}  // namespace

HWND load_frmTspConf(HINSTANCE instance) {
  // The themed buttons that the manifest asks for.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = window_proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);

  // A fixed frame with a caption and the close box, no minimise or maximise box.
  constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  RECT frame{0, 0, twips_to_pixels(frmTspConf.client_width),
             twips_to_pixels(frmTspConf.client_height)};
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  HWND dialog = CreateWindowExW(0, kClassName, widen(frmTspConf.caption).c_str(), kStyle,
                                CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                                frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);

  int id = kFirstControlId;
  for (const Control& c : frmTspConf.controls) {
    const bool button = c.kind == ControlKind::kButton;
    const DWORD style =
        WS_CHILD | WS_VISIBLE | (button ? BS_PUSHBUTTON | WS_TABSTOP : SS_LEFT | SS_NOPREFIX);
    HWND control = CreateWindowExW(
        0, button ? L"BUTTON" : L"STATIC", widen(c.text).c_str(), style, twips_to_pixels(c.left),
        twips_to_pixels(c.top), twips_to_pixels(c.width), twips_to_pixels(c.height), dialog,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(ui_font()), FALSE);
    if (id == kFirstControlId) {
      focus_control = control;
    }
    ++id;
  }
  ShowWindow(dialog, SW_SHOW);
  SetFocus(focus_control);
  return dialog;
}

}  // namespace rovanel
