// libmpv, opened when a show first needs it. Linked, it brought some two hundred libraries and
// their initialisers into every start of the player (140 to 180 ms on a small machine) even for
// a show without music or video; opened at first use, a show that plays neither never loads it.
// Inside the platform layer: the media player is its only user.
#pragma once

#include <QString>
#include <mpv/client.h>
#include <mpv/render.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace sf {

// The library's functions that the media player calls.
struct TMpvApi {
  decltype(&mpv_client_api_version) client_api_version;
  decltype(&mpv_create) create;
  decltype(&mpv_initialize) initialize;
  decltype(&mpv_terminate_destroy) terminate_destroy;
  decltype(&mpv_set_option_string) set_option_string;
  decltype(&mpv_set_wakeup_callback) set_wakeup_callback;
  decltype(&mpv_wait_event) wait_event;
  decltype(&mpv_command) command;
  decltype(&mpv_set_property_string) set_property_string;
  decltype(&mpv_get_property) get_property;
  decltype(&mpv_get_property_string) get_property_string;
  decltype(&mpv_free) free;
  decltype(&mpv_error_string) error_string;
  decltype(&mpv_render_context_create) render_context_create;
  decltype(&mpv_render_context_set_update_callback) render_context_set_update_callback;
  decltype(&mpv_render_context_update) render_context_update;
  decltype(&mpv_render_context_render) render_context_render;
  decltype(&mpv_render_context_free) render_context_free;
};

// Opens a library as libmpv, once: at the first Wait, or on a thread of its own from Begin.
class TMpvLoader {
 public:
  explicit TMpvLoader(QString name);
  ~TMpvLoader();  // waits for an opening under way
  TMpvLoader(const TMpvLoader&) = delete;
  TMpvLoader& operator=(const TMpvLoader&) = delete;

  // Begins opening the library on a thread of its own; nothing when it is open or begun.
  void Begin();
  // The library's functions, opening it now or waiting for the opening under way. Null when it
  // cannot be opened or is not a libmpv of this client API; the first such answer tells the
  // user once, through ShowMessage.
  const TMpvApi* Wait();
  // Whether opening has ended, opened or not: Wait would not wait.
  bool Settled() const;

 private:
  enum class TState { Idle, Loading, Done };
  void Load();

  const QString name_;
  std::mutex lock_;
  std::condition_variable done_;
  TState state_ = TState::Idle;
  std::atomic<bool> settled_{false};
  bool opened_ = false, told_ = false;
  TMpvApi api_{};
  QString error_;
  std::thread thread_;
};

// The library's name: "libmpv.so.2", or what SHOWFORGE_MPV_LIBRARY names (tests).
QString MpvLibraryName();

// The process's loader of MpvLibraryName(): Wait, Begin and Settled.
const TMpvApi* Mpv();
void BeginLoadingMpv();
bool MpvSettled();

}  // namespace sf
