#include "platform/widgets.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QWidget>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace sf {

void SetPasswordChar(QLineEdit* edit, QChar c) {
  edit->setEchoMode(QLineEdit::Password);
  edit->setStyleSheet(QString("QLineEdit { lineedit-password-character: %1; }").arg(c.unicode()));
}

namespace {

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
  const xcb_atom_t atom = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
  std::free(r);
  return atom;
}

}  // namespace

void SkipTaskbar(QWidget* window) {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* c = x11 ? x11->connection() : nullptr;
  if (c == nullptr) return;
  // Qt keeps the states it does not manage itself when it maps the window.
  const xcb_window_t id = xcb_window_t(window->winId());
  const xcb_atom_t states[] = {Atom(c, "_NET_WM_STATE_SKIP_TASKBAR"), Atom(c, "_NET_WM_STATE_SKIP_PAGER")};
  xcb_change_property(c, XCB_PROP_MODE_APPEND, id, Atom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32, 2, states);
  xcb_flush(c);
}

}  // namespace sf
