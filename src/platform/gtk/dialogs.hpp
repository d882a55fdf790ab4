// The settings dialog frmTspConf and the message box, with GTK 3 on any of its backends.
#pragma once

#include <string_view>

namespace rovanel::dialogs {

// Connects GTK to the display of the backend ("x11", "wayland"); false if it cannot be opened.
bool start(const char* backend);

// A message box with the text, a single OK button and no icon; returns when it is closed.
void message_box(std::string_view text, std::string_view caption);

// Shows frmTspConf from its table of controls and returns. OK, Cancel and the close box unload
// it, and its unload handler calls unloaded.
void show_settings_dialog(void (*unloaded)());

// Runs the handlers of the open dialogs; returns only if nothing ends the program.
void run();

}  // namespace rovanel::dialogs
