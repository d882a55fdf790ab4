#include "platform/win32/settings_dialog.hpp"

#include <commctrl.h>

#include <cstddef>

#include "platform/win32/win32_text.hpp"
#include "shell/texts.hpp"

namespace rovanel {

namespace {

constexpr const wchar_t* kClassName = L"Rovanel.frmTspConf";
constexpr int kFirstControlId = 100;
// A fixed frame with a caption and the close box, no minimise or maximise box.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

HWND focus_control = nullptr;  // restored when the dialog is activated again

bool is_button(int id) {
  const int index = id - kFirstControlId;
  return index >= 0 && index < static_cast<int>(frmTspConf.controls.size()) &&
         frmTspConf.controls[static_cast<std::size_t>(index)].kind == ControlKind::kButton;
}

// Sizes the dialog and its controls from the table's twips at a DPI (1440 twips to the inch), in
// the font of that DPI: readable on any monitor.
void lay_out(HWND dialog, UINT dpi) {
  const auto px = [dpi](int twips) { return MulDiv(twips, static_cast<int>(dpi), 1440); };
  RECT frame{0, 0, px(frmTspConf.client_width), px(frmTspConf.client_height)};
  AdjustWindowRectExForDpi(&frame, kStyle, FALSE, 0, dpi);
  SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  int id = kFirstControlId;
  for (const Control& c : frmTspConf.controls) {
    HWND control = GetDlgItem(dialog, id++);
    SetWindowPos(control, nullptr, px(c.left), px(c.top), px(c.width), px(c.height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(ui_font(dpi)), TRUE);
  }
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
    case WM_DPICHANGED: {
      // Moved to a monitor of another DPI: where the system suggests, laid out anew.
      const auto* r = reinterpret_cast<const RECT*>(l);
      SetWindowPos(hwnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      lay_out(hwnd, HIWORD(w));
      return 0;
    }
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

  HWND dialog =
      CreateWindowExW(0, kClassName, widen(frmTspConf.caption).c_str(), kStyle, CW_USEDEFAULT,
                      CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance, nullptr);
  if (dialog == nullptr) {
    return nullptr;
  }
  int id = kFirstControlId;
  for (const Control& c : frmTspConf.controls) {
    const bool button = c.kind == ControlKind::kButton;
    const DWORD style =
        WS_CHILD | WS_VISIBLE | (button ? BS_PUSHBUTTON | WS_TABSTOP : SS_LEFT | SS_NOPREFIX);
    HWND control = CreateWindowExW(
        0, button ? L"BUTTON" : L"STATIC", widen(c.text).c_str(), style, 0, 0, 0, 0, dialog,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (id == kFirstControlId) {
      focus_control = control;
    }
    ++id;
  }
  lay_out(dialog, GetDpiForWindow(dialog));
  ShowWindow(dialog, SW_SHOW);
  SetFocus(focus_control);
  return dialog;
}

}  // namespace rovanel
