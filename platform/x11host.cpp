#include "platform/x11host.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdlib>
#include <xcb/xcb.h>

namespace sf {
namespace {

xcb_connection_t* Connection() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

}  // namespace

QSize X11WindowSize(uint32_t window) {
  xcb_connection_t* c = Connection();
  if (c == nullptr || window == 0) return {};
  xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
  if (g == nullptr) return {};
  const QSize size(g->width, g->height);
  std::free(g);
  return size;
}

TX11HostWatch::TX11HostWatch(uint32_t window, QObject* parent) : QObject(parent), window_(window) {
  xcb_connection_t* c = Connection();
  if (c == nullptr || X11WindowSize(window).isEmpty()) return;
  // Structure events tell of the host's new size and of its end. Other clients' masks on the
  // window are their own; this one belongs to our connection only.
  const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  xcb_generic_error_t* error =
      xcb_request_check(c, xcb_change_window_attributes_checked(c, window, XCB_CW_EVENT_MASK, &mask));
  if (error != nullptr) {
    std::free(error);
    return;
  }
  QCoreApplication::instance()->installNativeEventFilter(this);
  valid_ = true;
}

TX11HostWatch::~TX11HostWatch() {
  if (valid_) QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool TX11HostWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t") return false;
  auto* e = static_cast<xcb_generic_event_t*>(message);
  switch (e->response_type & 0x7F) {
    case XCB_CONFIGURE_NOTIFY: {
      auto* c = reinterpret_cast<xcb_configure_notify_event_t*>(e);
      if (c->window == window_) emit Resized(QSize(c->width, c->height));
      break;
    }
    case XCB_DESTROY_NOTIFY: {
      auto* d = reinterpret_cast<xcb_destroy_notify_event_t*>(e);
      if (d->window == window_) emit Gone();
      break;
    }
    case XCB_UNMAP_NOTIFY: {
      // A host that is unmapped for good is as gone for a preview; one that is only hidden is
      // told apart by asking the server whether the window still exists.
      auto* u = reinterpret_cast<xcb_unmap_notify_event_t*>(e);
      if (u->window == window_ && X11WindowSize(window_).isEmpty()) emit Gone();
      break;
    }
    default: break;
  }
  return false;
}

}  // namespace sf
