#include "platform/mpvlib.h"

#include <dlfcn.h>

#include <cstring>
#include <utility>

#include "platform/messagebox.h"

namespace sf {
namespace {

// Opens the library and finds its functions; false with the reason when it cannot.
bool Open(const QString& name, TMpvApi& api, QString& error) {
  void* library = dlopen(name.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* why = dlerror();
    error = why ? QString::fromLocal8Bit(why) : QString("it cannot be opened");
    if (error.startsWith(name + ": ")) error.remove(0, name.size() + 2);  // the name is told already
    return false;
  }
  const struct {
    void* slot;
    const char* symbol;
  } functions[] = {
      {&api.client_api_version, "mpv_client_api_version"},
      {&api.create, "mpv_create"},
      {&api.initialize, "mpv_initialize"},
      {&api.terminate_destroy, "mpv_terminate_destroy"},
      {&api.set_option_string, "mpv_set_option_string"},
      {&api.set_wakeup_callback, "mpv_set_wakeup_callback"},
      {&api.wait_event, "mpv_wait_event"},
      {&api.command, "mpv_command"},
      {&api.set_property_string, "mpv_set_property_string"},
      {&api.get_property, "mpv_get_property"},
      {&api.get_property_string, "mpv_get_property_string"},
      {&api.free, "mpv_free"},
      {&api.error_string, "mpv_error_string"},
      {&api.render_context_create, "mpv_render_context_create"},
      {&api.render_context_set_update_callback, "mpv_render_context_set_update_callback"},
      {&api.render_context_update, "mpv_render_context_update"},
      {&api.render_context_render, "mpv_render_context_render"},
      {&api.render_context_free, "mpv_render_context_free"},
  };
  for (const auto& f : functions) {
    void* address = dlsym(library, f.symbol);
    if (address == nullptr) {
      error = QString("it has no %1: not a libmpv").arg(f.symbol);
      return false;  // the library stays open: its initialisers have run, and may run again
    }
    std::memcpy(f.slot, &address, sizeof address);  // POSIX: a function's address as dlsym gives it
  }
  // The same major version of the client API as the header the player was built with.
  const unsigned long version = api.client_api_version();
  if (version >> 16 != MPV_CLIENT_API_VERSION >> 16) {
    error = QString("it speaks the client API %1.%2, not %3.x").arg(version >> 16).arg(version & 0xFFFF).arg(MPV_CLIENT_API_VERSION >> 16);
    return false;
  }
  return true;
}

}  // namespace

TMpvLoader::TMpvLoader(QString name) : name_(std::move(name)) {}

TMpvLoader::~TMpvLoader() {
  if (thread_.joinable()) thread_.join();
}

void TMpvLoader::Begin() {
  const std::lock_guard<std::mutex> hold(lock_);
  if (state_ != TState::Idle) return;
  state_ = TState::Loading;
  thread_ = std::thread([this] { Load(); });
}

const TMpvApi* TMpvLoader::Wait() {
  std::unique_lock<std::mutex> hold(lock_);
  if (state_ == TState::Idle) {
    state_ = TState::Loading;
    hold.unlock();
    Load();
    hold.lock();
  }
  done_.wait(hold, [this] { return state_ == TState::Done; });
  if (opened_) return &api_;
  if (!told_) {
    told_ = true;
    const QString message =
        QString("The media player library %1 cannot be loaded: %2.\nThe show goes on without music and video.").arg(name_, error_);
    hold.unlock();
    ShowMessage(message);
  }
  return nullptr;
}

bool TMpvLoader::Settled() const { return settled_.load(std::memory_order_acquire); }

void TMpvLoader::Load() {
  TMpvApi api{};
  QString error;
  const bool opened = Open(name_, api, error);
  {
    const std::lock_guard<std::mutex> hold(lock_);
    api_ = api;
    opened_ = opened;
    error_ = error;
    state_ = TState::Done;
  }
  settled_.store(true, std::memory_order_release);
  done_.notify_all();
}

namespace {

TMpvLoader& Loader() {
  static TMpvLoader loader(MpvLibraryName());  // its end waits for an opening still under way
  return loader;
}

}  // namespace

QString MpvLibraryName() {
  const QString name = qEnvironmentVariable("SHOWFORGE_MPV_LIBRARY");
  return name.isEmpty() ? QString("libmpv.so.2") : name;
}

const TMpvApi* Mpv() { return Loader().Wait(); }

void BeginLoadingMpv() { Loader().Begin(); }

bool MpvSettled() { return Loader().Settled(); }

}  // namespace sf
