// Every call between the module and its page (page.js), in both directions, in one place: what
// the module asks of the page is declared here and written in bridge.cpp; what the page tells
// the module is the exported rovanel_* functions at the end of bridge.cpp.
#pragma once

#include <emscripten/em_macros.h>

#include <cstdint>

extern "C" {

// The browser's window in device pixels, and how many device pixels a CSS pixel is.
int web_page_width();
int web_page_height();
double web_pixel_ratio();
// The canvas resized to width x height device pixels (and cleared).
void web_size_canvas(int width, int height);
// The damaged boxes (count of them, left, top, right, bottom each) of the RGBA buffer copied to
// the canvas.
void web_present(const std::uint32_t* pixels, int width, int height, const int* boxes, int count);
// A text rendered in the page's font, white on nothing; geometry gets its width, height and where
// the text's top left corner lies in it. web_text_coverage then copies out how much of each
// pixel it covers (width x height bytes).
void web_render_text(const char* text, double font_pixels, int* geometry);
void web_text_coverage(std::uint8_t* out);
// Suspend the module (ASYNCIFY) until the page has had its turn: a wait ends at its time or at
// the next event, a turn after one trip through the page's event loop. (The page's side of an
// asynchronous call is named as EM_ASYNC_JS names it.)
void web_wait(double milliseconds) EM_IMPORT(__asyncjs__web_wait);
void web_turn() EM_IMPORT(__asyncjs__web_turn);
void web_show_cursor(int visible);
// The page's state: "running", "ended" (it offers to start again) or, through web_fail, "failed".
void web_set_state(const char* state);
void web_fail(const char* message);
// Suspends the module until the show is started again.
void web_start_again() EM_IMPORT(__asyncjs__web_start_again);
// The page's ?seed as typed, in UTF-8: its length in bytes (-1 without one), then its bytes.
int web_seed_length();
void web_seed_copy(char* out, int size);
}
