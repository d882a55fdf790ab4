// Rovanel.scr: the Windows face. The screen-saver host starts it with /S, /C, /P or /A.
//
// What this face implements (see README, "Adding a face"):
//  [x] previous instance: a named mutex, held until the process ends, however it ends
//  [x] message box (MessageBoxW) and settings dialog (frmTspConf's table, in twips, at the DPI of
//      its monitor)
//  [x] saver window: a topmost popup over every monitor, the show in the primary monitor and
//      cut at its edges, lblStatus a child control
//  [x] input: mouse moves, button releases, wheel turns, keys (Alt and F10 too), WM_CLOSE; the
//      session's end
//  [x] frames: a GDI back buffer, damaged boxes copied to the window; WM_PAINT copies back
//  [x] scale: aware of each monitor's DPI; the show keeps the primary monitor's size at 96 dpi
//  [x] screen-saver flag: SystemParametersInfoA, the value found at start put back
//  [x] cursor: ShowCursor
//  [x] fatal errors: a message box, status 1
#include <windows.h>

#include <memory>
#include <string>

#include "platform/win32/saver_window.hpp"
#include "platform/win32/settings_dialog.hpp"
#include "platform/win32/win32_text.hpp"
#include "shell/mdl_tsp.hpp"
#include "shell/texts.hpp"

namespace rovanel {
namespace {

class Win32System final : public WindowSystem {
 public:
  explicit Win32System(HINSTANCE instance) : instance_(instance) {}

  // A named mutex, held until the process ends. One that an instance of another security
  // context holds cannot be opened (access denied): that is a previous instance too.
  bool previous_instance() override {
    CreateMutexW(nullptr, FALSE, L"Local\\Rovanel");
    const DWORD error = GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
  }
  void message_box(std::string_view text, std::string_view caption) override {
    MessageBoxW(nullptr, widen(text).c_str(), widen(caption).c_str(), MB_OK);
  }
  void load_settings_dialog() override {
    dialog_ = load_frmTspConf(instance_);
    if (dialog_ == nullptr) {
      fatal_error("cannot create the settings dialog");
    }
  }
  std::unique_ptr<SaverWindow> create_saver_window() override {
    try {
      return std::make_unique<Win32SaverWindow>(instance_);
    } catch (const CreationError& e) {
      fatal_error(e.what());
      return nullptr;
    }
  }
  void end_program() override { ExitProcess(0); }
  void fatal_error(std::string_view message) override {
    MessageBoxW(nullptr, widen(message).c_str(), widen(kAppTitle).c_str(), MB_OK | MB_ICONERROR);
    ExitProcess(1);
  }

  // The settings dialog's message loop; its handlers end the program.
  int run() {
    if (dialog_ == nullptr) {
      return 0;
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      if (!IsDialogMessageW(dialog_, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    return 0;
  }

 private:
  HINSTANCE instance_;
  HWND dialog_ = nullptr;
};

}  // namespace
}  // namespace rovanel

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
  rovanel::Win32System system(instance);
  rovanel::mdlTsp::main(system, rovanel::narrow(arguments != nullptr ? arguments : L""));
  return system.run();
}
