// Rovanel.scr: the Windows face. The screen-saver host starts it with /S, /C, /P or /A.
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
  void load_settings_dialog() override { dialog_ = load_frmTspConf(instance_); }
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
