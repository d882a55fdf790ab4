#include "platform/win32/saver_window.hpp"

#include <shellscalingapi.h>
#include <windowsx.h>

#include <chrono>
#include <cmath>
#include <memory>

#include "platform/win32/win32_text.hpp"
#include "shell/frm_tsp.hpp"
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

UINT primary_dpi() {
  UINT x = 96;
  UINT y = 96;
  GetDpiForMonitor(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), MDT_EFFECTIVE_DPI, &x, &y);
  return x;
}

// The flag's pointer argument: an empty string, as the system's own calls pass it.
char kNoProfile[] = "";

}  // namespace

Win32SaverWindow::Win32SaverWindow(HINSTANCE instance) {
  lay_out();
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
  const RECT r = label_rect(shown_);
  label_ =
      CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, r.left,
                      r.top, r.right - r.left, r.bottom - r.top, hwnd_, nullptr, instance, nullptr);
  if (label_ == nullptr) {
    throw CreationError("cannot create the status label");
  }
  SendMessageW(label_, WM_SETFONT, reinterpret_cast<WPARAM>(ui_font(dpi_)), FALSE);
}

void Win32SaverWindow::lay_out() {
  const RECT area = virtual_screen();
  const UINT dpi = primary_dpi();
  const SIZE primary{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  auto surface =
      std::make_unique<GdiSurface>(area, primary, dpi, [this](const Damage& d) { present(d); });
  area_ = area;
  dpi_ = dpi;
  scale_ = static_cast<float>(dpi) / 96.0f;
  surface_ = std::move(surface);
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
      // In the show's pixels, from the primary monitor's corner.
      form_->mouse_move(static_cast<float>(GET_X_LPARAM(l) + area_.left) / scale_,
                        static_cast<float>(GET_Y_LPARAM(l) + area_.top) / scale_);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
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
    case WM_ENDSESSION:
      // The session ends and the process with it: put the flag and the cursor back first.
      if (w != FALSE) {
        form_->unload();
      }
      return 0;
    case WM_DISPLAYCHANGE: {
      // Monitors came, went, moved or changed their mode: cover them all again, the show on the
      // primary one, its frame drawn whole at once. Without a buffer for them it goes on as it was.
      try {
        lay_out();
      } catch (const CreationError&) {
        return 0;
      }
      SetWindowPos(hwnd_, HWND_TOPMOST, area_.left, area_.top, area_.right - area_.left,
                   area_.bottom - area_.top, SWP_NOACTIVATE);
      SendMessageW(label_, WM_SETFONT, reinterpret_cast<WPARAM>(ui_font(dpi_)), FALSE);
      const RECT r = label_rect(shown_);
      SetWindowPos(label_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      form_->resized();
      // The frame is drawn in the primary monitor only: the rest of the window, which may still
      // show the old one, is painted from the new buffer's black.
      InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      // The buffer holds the last frame whole: copy back what was uncovered.
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd_, &paint);
      const RECT& r = paint.rcPaint;
      surface_->blit(
          dc, {r.left + area_.left, r.top + area_.top, r.right + area_.left, r.bottom + area_.top});
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
  MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(ms), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

RECT Win32SaverWindow::label_rect(const Label& label) const {
  const auto at = [this](double v) { return static_cast<int>(std::lround(v * scale_)); };
  const double left = label.whole_left();
  const double top = label.whole_top();
  return {at(left) - area_.left, at(top) - area_.top, at(left + Label::kWidth) - area_.left,
          at(top + Label::kHeight) - area_.top};
}

void Win32SaverWindow::update_label() {
  const Label& wanted = surface_->label();
  const RECT to = label_rect(wanted);
  const RECT from = label_rect(shown_);
  if (to.left != from.left || to.top != from.top) {
    SetWindowPos(label_, nullptr, to.left, to.top, 0, 0,
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
    surface_->blit(dc, box);
  }
  ReleaseDC(hwnd_, dc);
  UpdateWindow(label_);
}

// The process is aware of each monitor's DPI (see the manifest): the system reports device
// pixels, and the show keeps the size an unaware program would be told, never more.
ScreenSize Win32SaverWindow::screen_size() {
  return show_size(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), scale_);
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
