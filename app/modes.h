// The choice of mode from the command line and the program's path.
#pragma once

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace sf {

enum class TRunMode {
  Configure,   // the settings dialog
  FullScreen,  // the show on the whole screen
  Preview,     // the show inside a host window, ending only with it
  Invalid,     // a command line the program does not understand
};

struct TModeChoice {
  TRunMode mode = TRunMode::Invalid;
  uint32_t hostWindow = 0;  // the host of a preview: an X11 window id (or a Windows handle)
  bool hostIsRoot = false;  // -root: the host is the screen's root window
  QString error;            // why the command line was not understood
};

// params are the command-line parameters after the program's name; xscreensaverWindow is the
// value of XSCREENSAVER_WINDOW (empty when unset).
//
// Windows' forms: /c, /s and /p HANDLE, also with '-' for '/', in either case; only the first
// two characters of the first parameter count, and /p takes its handle from a second parameter
// or after a colon or blank (/p:1234). X11 saver hosts: -root (inside XSCREENSAVER_WINDOW when it is
// set, else on the root window), -window-id ID, and with no parameters the XSCREENSAVER_WINDOW
// variable. Window ids are decimal or 0x-hexadecimal. With no
// parameters at all, a program whose upper-cased path contains ".SCR" opens its settings and any
// other plays the show.
TModeChoice ChooseMode(const QStringList& params, const QString& programPath,
                       const QString& xscreensaverWindow = {});

// What plays, apart from the mode: `--show FILE` plays the project that FILE carries at its end
// (any file that carries one) instead of the program's own, without running FILE; `--slide N`
// starts the show at slide N (from 0, in project order, background pictures not counted).
struct TShowChoice {
  QString showFile;         // empty: the program's own show
  int32_t firstSlide = -1;  // -1: the show's own first slide
  QString error;            // why the options were not understood
};

// Takes --show FILE and --slide N (also --show=FILE, --slide=N) out of params, wherever they
// stand, so that the rest chooses the mode as ever.
TShowChoice TakeShowChoice(QStringList& params);

// Whether a host window of that size (device pixels) covers one of the screens (device pixels):
// XScreenSaver's and xsecurelock's saver windows and the root window do, a settings dialog's
// preview does not. A show in such a host is laid out as on the full screen; a smaller host gets
// the preview's layout.
bool ScreenSizedHost(QSize host, const QList<QSize>& screens);

// Whether no session bus can be reached: no address is named (the value of
// DBUS_SESSION_BUS_ADDRESS), no bus lies where a desktop session puts it (a socket "bus" in the
// runtime folder, the value of XDG_RUNTIME_DIR), and no dbus-launch, which alone could find a
// bus through the display or start one, is an executable file in /usr/bin or a folder of `path`
// (the value of PATH).
bool SessionBusUnreachable(const QByteArray& address, const QByteArray& runtimeDir, const QByteArray& path);

// The name of the single-copy lock for a mode: the one lock kInstanceMutexName for the full
// screen, the settings dialog and a command line that is not understood, so that none of them
// runs beside another; for a show in a host window a lock of that window on that X display
// (`display` is the value of DISPLAY), so that saver processes in the windows of different
// monitors run side by side while a second one in the same window ends.
QString InstanceLockName(const TModeChoice& choice, const QString& display);

// The program's own file, as the kernel names it (symbolic links resolved); empty where /proc
// cannot tell. Cheap enough to be asked before the application object exists.
QString ProgramFilePath();

// A window id: decimal, or hexadecimal after 0x; 0 when it is not one.
uint32_t ParseWindowId(const QString& text);

}  // namespace sf
