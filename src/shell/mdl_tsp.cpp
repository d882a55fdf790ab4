#include "shell/mdl_tsp.hpp"

#include "shell/frm_tsp.hpp"
#include "shell/texts.hpp"

namespace rovanel::mdlTsp {

std::string startkey(std::string_view arguments) {
  std::string key(arguments.substr(0, 2));
  for (char& c : key) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
  }
  return key;
}

void main(WindowSystem& system, std::string_view arguments) {
  if (system.previous_instance()) {
    system.end_program();
    return;
  }
  const std::string key = startkey(arguments);
  if (key == "/A") {
    system.message_box(kPasswordMessage, kAppTitle);
    system.end_program();
  } else if (key == "/C") {
    system.load_settings_dialog();
  } else if (key == "/P") {
    system.end_program();
  } else if (key.empty()) {
    system.load_settings_dialog();
  } else {
    load_frmTsp(system);
  }
}

}  // namespace rovanel::mdlTsp
