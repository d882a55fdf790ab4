#include "platform/win32/saver_window.hpp"

#include <windowsx.h>

#include <chrono>
#include <cmath>

#include "platform/win32/win32_text.hpp"
#include "shell/texts.hpp"

namespace rovanel {

namespace {

constexpr const wchar_t* kClassName = L"Rovanel.frmTsp";

// Every monitor, in screen coordinates: the primary monitor's top left corner is (0, 0).
RECT virtual_screen() {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
          top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

// The flag's pointer argument: an empty string, as the system's own calls pass it.
char kNoProfile[] = "";

}  // namespace

Win32SaverWindow::Win32SaverWindow(HINSTANCE instance)
    : area_(virtual_screen()), surface_(area_, [this](const Damage& d) { present(d); }) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = window_proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kClassName;
  if (RegisterClassExW(&wc) == 0) {
    throw CreationError("cannot register the saver window's class");
  }
  // WS_CLIPCHILDREN: presenting a frame never paints over the label.
  hwnd_ =
      CreateWindowExW(WS_EX_TOPMOST, kClassName, widen(kSaverCaption).c_str(),
                      WS_POPUP | WS_CLIPCHILDREN, area_.left, area_.top, area_.right - area_.left,
                      area_.bottom - area_.top, nullptr, nullptr, instance, this);
  if (hwnd_ == nullptr) {
    throw CreationError("cannot create the saver window");
  }
  label_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                           static_cast<int>(shown_.left) - area_.left,
                           static_cast<int>(shown_.top) - area_.top, Label::kWidth,
                           Label::kHeight, hwnd_, nullptr, instance, nullptr);
  if (label_ == nullptr) {
    throw CreationError("cannot create the status label");
  }
  SendMessageW(label_, WM_SETFONT, reinterpret_cast<WPARAM>(ui_font()), FALSE);
}

LRESULT CALLBACK Win32SaverWindow::window_proc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(l);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    static_cast<Win32SaverWindow*>(create->lpCreateParams)->hwnd_ = hwnd;
  }
  auto* self = reinterpret_cast<Win32SaverWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) {
    return DefWindowProcW(hwnd, message, w, l);
  }
  return self->handle(message, w, l);
}

LRESULT Win32SaverWindow::handle(UINT message, WPARAM w, LPARAM l) {
  if (form_ == nullptr) {
    return DefWindowProcW(hwnd_, message, w, l);
  }
  switch (message) {
    case WM_MOUSEMOVE:
      // The window's units are the primary monitor's pixels.
      form_->mouse_move(static_cast<float>(GET_X_LPARAM(l) + area_.left),
                        static_cast<float>(GET_Y_LPARAM(l) + area_.top));
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      form_->click();
      return 0;
    case WM_KEYDOWN:
      form_->key_down();
      return 0;
    case WM_SYSKEYDOWN:
      // Alt and F10 are keys too; the system still gets them, so Alt+F4 closes as usual.
      form_->key_down();
      break;
    case WM_CLOSE:
      form_->unload();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      // The buffer holds the last frame whole: copy back what was uncovered.
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd_, &paint);
      const RECT& r = paint.rcPaint;
      surface_.blit(dc, {r.left + area_.left, r.top + area_.top, r.right + area_.left,
                         r.bottom + area_.top});
      EndPaint(hwnd_, &paint);
      return 0;
    }
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(w);
      SetTextColor(dc, shown_.text);
      SetBkColor(dc, shown_.back);
      SetDCBrushColor(dc, shown_.back);
      return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, w, l);
}

void Win32SaverWindow::show() {
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  SetFocus(hwnd_);
}

void Win32SaverWindow::pump_events(frmTsp& form) {
  form_ = &form;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void Win32SaverWindow::wait_for_events(Pacing::Clock::duration timeout) {
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(timeout).count();
  MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(ms), QS_ALLINPUT,
                              MWMO_INPUTAVAILABLE);
}

void Win32SaverWindow::update_label() {
  const Label& wanted = surface_.label();
  if (std::lround(wanted.left) != std::lround(shown_.left) ||
      std::lround(wanted.top) != std::lround(shown_.top)) {
    SetWindowPos(label_, nullptr, static_cast<int>(std::lround(wanted.left)) - area_.left,
                 static_cast<int>(std::lround(wanted.top)) - area_.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const bool recolour = wanted.text != shown_.text || wanted.back != shown_.back;
  const bool retext = wanted.caption != shown_.caption;
  shown_ = wanted;
  if (retext) {
    SetWindowTextW(label_, widen(shown_.caption).c_str());
  } else if (recolour) {
    InvalidateRect(label_, nullptr, TRUE);
  }
}

void Win32SaverWindow::present(const Damage& damage) {
  update_label();
  HDC dc = GetDC(hwnd_);
  for (const Box& box : damage) {
    surface_.blit(dc, box);
  }
  ReleaseDC(hwnd_, dc);
  UpdateWindow(label_);
}

// The process is DPI-unaware (see the manifest): the system reports, and scales, everything in
// pixels at 96 dpi.
ScreenSize Win32SaverWindow::screen_size() {
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

void Win32SaverWindow::set_screensaver_active() {
  SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &found_active_, 0);
  SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, kNoProfile, 0);
}

// Puts back what was found at the start, rather than switching the user's screen saver (and
// the lock that comes with it) off for the rest of the session.
void Win32SaverWindow::restore_screensaver_active() {
  SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, static_cast<UINT>(found_active_), kNoProfile, 0);
  // Reading it back waits for the change to reach the system: under Wine it is an X request,
  // which can be lost when the process ends right after it.
  BOOL now = FALSE;
  SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &now, 0);
}

}  // namespace rovanel
