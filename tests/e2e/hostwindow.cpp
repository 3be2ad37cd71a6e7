// A stand-in for a screen saver host in the desktop tests: maps an X11 window of the given size
// at the given place, prints its id, and lives until it is killed (which destroys the window).
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: hostwindow X Y WIDTH HEIGHT\n");
    return 2;
  }
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) return 1;
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const xcb_window_t w = xcb_generate_id(c);
  const uint32_t values[2] = {screen->white_pixel, 1};  // white behind the show, no window manager
  xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, int16_t(std::atoi(argv[1])), int16_t(std::atoi(argv[2])),
                    uint16_t(std::atoi(argv[3])), uint16_t(std::atoi(argv[4])), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                    screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
  xcb_map_window(c, w);
  xcb_flush(c);
  std::printf("%u\n", w);
  std::fflush(stdout);
  for (;;) pause();
}
