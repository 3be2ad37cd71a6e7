// How a show's run window is set up: full screen, or inside a preview host.
#pragma once

#include <QSize>
#include <chrono>
#include <cstdint>

class QScreen;

namespace sf {

struct TRunSetup {
  bool preview = false;      // inside the host window: the host, not the user's input, ends the show
  uint32_t hostWindow = 0;   // the X11 window of a preview
  bool screenHost = false;   // the host covers a screen: slides are laid out as on the full screen
  // The screen a full-screen window covers; null: the primary screen.
  QScreen* screen = nullptr;
  // The show area when it is not the screen's or the host's (tests); empty: asked of the system.
  QSize showArea;
  // Whether the window takes the screen: shows itself, takes the desktop snapshot. Off in tests,
  // which drive the cycle by hand.
  bool onScreen = true;
  // The slide the show starts with (from 0, in project order); -1: the first the order gives.
  int32_t firstSlide = -1;
  // When the program started, for the trace of the first frame (SHOWFORGE_TRACE=1).
  std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};

}  // namespace sf
