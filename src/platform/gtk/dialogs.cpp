#include "platform/gtk/dialogs.hpp"

#include <gtk/gtk.h>

#include <cmath>
#include <string>

#include "shell/texts.hpp"

namespace rovanel::dialogs {

bool start(const char* backend) {
  gdk_set_allowed_backends(backend);
  return gtk_init_check(nullptr, nullptr) != FALSE;
}

void message_box(std::string_view text, std::string_view caption) {
  const std::string message(text);
  const std::string title(caption);
  GtkWidget* box = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_OTHER,
                                          GTK_BUTTONS_OK, "%s", message.c_str());
  gtk_window_set_title(GTK_WINDOW(box), title.c_str());
  gtk_dialog_run(GTK_DIALOG(box));
  gtk_widget_destroy(box);
}

namespace {

void (*settings_unloaded)() = nullptr;

void unload(GtkWidget*, gpointer window) {
  gtk_widget_destroy(GTK_WIDGET(window));
}

void run_unloaded(GtkWidget*, gpointer) {
  settings_unloaded();
}

}  // namespace

void show_settings_dialog(void (*unloaded)()) {
  settings_unloaded = unloaded;
  // The layout grows with the fonts, which follow the desktop's font resolution (Xft.dpi).
  const double resolution = gdk_screen_get_resolution(gdk_screen_get_default());
  const double scale = resolution > 0 ? resolution / 96 : 1;
  const auto px = [scale](int twips) {
    return static_cast<int>(std::lround(twips_to_pixels(twips) * scale));
  };
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), frmTspConf.caption);
  gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
  gtk_window_set_type_hint(GTK_WINDOW(window), GDK_WINDOW_TYPE_HINT_DIALOG);

  GtkWidget* client = gtk_fixed_new();
  gtk_widget_set_size_request(client, px(frmTspConf.client_width), px(frmTspConf.client_height));
  gtk_container_add(GTK_CONTAINER(window), client);

  GtkWidget* first = nullptr;
  for (const Control& control : frmTspConf.controls) {
    GtkWidget* widget = nullptr;
    if (control.kind == ControlKind::kButton) {
      widget = gtk_button_new_with_label(control.text);
      g_signal_connect(widget, "clicked", G_CALLBACK(unload), window);
    } else {
      widget = gtk_label_new(control.text);
      gtk_label_set_xalign(GTK_LABEL(widget), 0.0f);
      gtk_label_set_yalign(GTK_LABEL(widget), 0.0f);
      gtk_label_set_line_wrap(GTK_LABEL(widget), TRUE);
    }
    gtk_widget_set_name(widget, control.name);
    gtk_widget_set_size_request(widget, px(control.width), px(control.height));
    gtk_fixed_put(GTK_FIXED(client), widget, px(control.left), px(control.top));
    if (first == nullptr) {
      first = widget;
    }
  }
  // Closing the window in any way destroys it, which is its unload.
  g_signal_connect(window, "destroy", G_CALLBACK(run_unloaded), nullptr);
  gtk_widget_show_all(window);
  gtk_widget_grab_focus(first);
}

void run() {
  gtk_main();
}

}  // namespace rovanel::dialogs
