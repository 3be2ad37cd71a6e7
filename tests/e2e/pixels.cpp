// Reads pixels of the root window for the desktop tests, a few milliseconds for any number of
// points (a screenshot of a large screen takes half a second): prints the colour of each point
// x,y given as RRGGBB in upper-case hexadecimal, one line, separated by blanks.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: pixels X,Y...\n");
    return 2;
  }
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) return 1;
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  if (screen->root_depth != 24) {
    std::fprintf(stderr, "pixels: the screen's depth is %d, not 24\n", screen->root_depth);
    return 1;
  }
  for (int i = 1; i < argc; ++i) {
    int x = 0, y = 0;
    if (std::sscanf(argv[i], "%d,%d", &x, &y) != 2 || x < 0 || y < 0 || x >= screen->width_in_pixels ||
        y >= screen->height_in_pixels) {
      std::fprintf(stderr, "pixels: '%s' is not a point of the screen\n", argv[i]);
      return 2;
    }
    xcb_get_image_reply_t* image = xcb_get_image_reply(
        c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, int16_t(x), int16_t(y), 1, 1, ~0u), nullptr);
    if (!image || xcb_get_image_data_length(image) < 3) return 1;
    const uint8_t* p = xcb_get_image_data(image);  // blue, green, red, unused
    std::printf("%s%02X%02X%02X", i > 1 ? " " : "", p[2], p[1], p[0]);
    std::free(image);
  }
  std::printf("\n");
  xcb_disconnect(c);
  return 0;
}
