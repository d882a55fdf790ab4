// rovanel: the saver on Linux, one program with a face for each window system.
//   rovanel [/S | /C | /P | /A]          the Windows saver's arguments, dispatched alike
//   rovanel -root | -window-id ID        draw into the root window or window ID (XScreenSaver)
//   rovanel --idle SECONDS               run the saver whenever the session is idle
//   rovanel --autostart SECONDS | off    start that watcher now and at every login, or neither
//   rovanel --help | --version
// The face: the first of the table below that serves the run. Wayland when WAYLAND_DISPLAY
// reaches a compositor and the run is not embedded in an X window (XSCREENSAVER_WINDOW,
// -window-id, -root); X11 otherwise.
//
// What every Linux face shares (platform/linux):
//  [x] previous instance: a file lock in the user's private runtime directory, gone with the
//      process; embedded runs take none (XScreenSaver starts one per monitor)
//  [x] message box and settings dialog: GTK 3 on the face's backend, laid out from frmTspConf
//  [x] signals: SIGTERM, SIGINT and SIGHUP stop the saver as input does
//  [x] fatal errors: one line on stderr, status 1; bad arguments: usage, status 2
#include <algorithm>
#include <iterator>

#include "platform/idle/autostart.hpp"
#include "platform/idle/watcher.hpp"
#include "platform/linux/invocation.hpp"
#include "platform/linux/linux_system.hpp"
#include "platform/wayland/wayland_face.hpp"
#include "platform/x11/x11_face.hpp"
#include "shell/mdl_tsp.hpp"

namespace {

// The faces in the order they are tried; the last serves every run it can open a display for.
const rovanel::Face* const kFaces[] = {&rovanel::kWaylandFace, &rovanel::kX11Face};

}  // namespace

int main(int argc, char** argv) {
  using namespace rovanel;
  const Invocation invocation = parse_invocation(argc, argv);
  if (invocation.idle_seconds) {
    return watch_idle(*invocation.idle_seconds);
  }
  if (invocation.autostart) {
    return autostart(*invocation.autostart);
  }
  const Face& face = **std::find_if(std::begin(kFaces), std::end(kFaces),
                                    [&](const Face* f) { return f->serves(invocation); });
  LinuxSystem system(invocation, face);
  mdlTsp::main(system, invocation.arguments);
  system.run_dialogs();
  return 0;
}
