#include "app/modes.h"

#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

#include "app/entry.h"
#include "platform/instancelock.h"

namespace sf {

const char kInstanceMutexName[] = "qel_showforge";

QString InstanceLockName(const TModeChoice& choice, const QString& display) {
  if (choice.mode != TRunMode::Preview || choice.hostIsRoot || choice.hostWindow == 0) return kInstanceMutexName;
  // Window ids are those of one X server: ":1" and ":1.0" name the same one, ":1" and ":2" not.
  QString server = display;
  const qsizetype colon = server.lastIndexOf(':');
  const qsizetype dot = server.indexOf('.', colon + 1);
  if (colon >= 0 && dot > colon) server.truncate(dot);
  return QString(kInstanceMutexName) + ".window." + LockNamePart(server) + "." + QString::number(choice.hostWindow, 16);
}

QString ProgramFilePath() { return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath(); }

uint32_t ParseWindowId(const QString& text) {
  const QString t = text.trimmed();
  bool ok = false;
  qulonglong v = 0;
  if (t.startsWith("0x", Qt::CaseInsensitive)) {
    const QString digits = t.mid(2);
    v = digits.isEmpty() || digits.startsWith('+') || digits.startsWith('-') ? 0 : digits.toULongLong(&ok, 16);
  } else if (!t.isEmpty() && t[0].isDigit()) {
    v = t.toULongLong(&ok, 10);
  }
  return ok && v <= 0xFFFFFFFFull ? uint32_t(v) : 0;
}

namespace {

TModeChoice Hosted(uint32_t window, const QString& given) {
  TModeChoice c;
  if (window == 0) {
    c.error = given.isEmpty() ? QString("The preview needs the id of its host window.")
                              : QString("'%1' is not a window id.").arg(given);
    return c;
  }
  c.mode = TRunMode::Preview;
  c.hostWindow = window;
  return c;
}

}  // namespace

TModeChoice ChooseMode(const QStringList& params, const QString& programPath,
                       const QString& xscreensaverWindow) {
  TModeChoice c;
  if (params.isEmpty()) {
    // xsecurelock and XScreenSaver name the window to draw into in the environment.
    if (!xscreensaverWindow.isEmpty()) return Hosted(ParseWindowId(xscreensaverWindow), xscreensaverWindow);
    c.mode = programPath.toUpper().contains(".SCR") ? TRunMode::Configure : TRunMode::FullScreen;
    return c;
  }
  const QString first = params[0];
  if (first.compare("-root", Qt::CaseInsensitive) == 0) {
    // XScreenSaver runs its hacks with -root and names the window they are to draw in (its
    // saver window, or the small one of its settings' preview) in the environment; without the
    // variable the show draws on the screen's root window itself.
    if (const uint32_t window = ParseWindowId(xscreensaverWindow)) return Hosted(window, xscreensaverWindow);
    c.mode = TRunMode::Preview;
    c.hostIsRoot = true;
    return c;
  }
  if (first.compare("-window-id", Qt::CaseInsensitive) == 0) {
    const QString id = params.size() > 1 ? params[1] : QString();
    return Hosted(ParseWindowId(id), id);
  }
  const QString head = first.left(2).toUpper().replace('-', '/');
  if (head == "/C") {
    c.mode = TRunMode::Configure;
  } else if (head == "/S") {
    c.mode = TRunMode::FullScreen;
  } else if (head == "/P") {
    QString id = first.mid(2);
    if (id.startsWith(':') || id.startsWith(' ')) id = id.mid(1);
    if (id.isEmpty() && params.size() > 1) id = params[1];
    return Hosted(ParseWindowId(id), id);
  } else {
    // The program only ever receives /c, /s and /p from Windows and -root or -window-id from
    // an X11 saver host; anything else is a mistake that must not take over the screen.
    c.error = QString("Unknown option '%1'. Use /c for the settings, /s for the show or "
                      "/p WINDOW for a preview.")
                  .arg(first);
  }
  return c;
}

bool SessionBusUnreachable(const QByteArray& address, const QByteArray& runtimeDir, const QByteArray& path) {
  if (!address.trimmed().isEmpty()) return false;
  struct stat info {};
  if (!runtimeDir.isEmpty() && stat((runtimeDir + "/bus").constData(), &info) == 0 && S_ISSOCK(info.st_mode)) return false;
  // The bus library looks in its own folder first, then along the PATH.
  QList<QByteArray> folders{QByteArrayLiteral("/usr/bin")};
  if (!path.isEmpty()) folders += path.split(':');
  for (const QByteArray& folder : folders) {
    // An empty entry is the current folder, as for the shell.
    const QByteArray file = (folder.isEmpty() ? QByteArray(".") : folder) + "/dbus-launch";
    if (stat(file.constData(), &info) == 0 && S_ISREG(info.st_mode) && access(file.constData(), X_OK) == 0) return false;
  }
  return true;
}

TShowChoice TakeShowChoice(QStringList& params) {
  TShowChoice c;
  // The option's value: after '=' in the same parameter, else the next parameter.
  const auto take = [&](qsizetype& i, const QString& name, QString& value) {
    const QString p = params[i];
    if (p.compare(name, Qt::CaseInsensitive) == 0) {
      if (i + 1 >= params.size()) return false;
      value = params[i + 1];
      params.remove(i, 2);
      return true;
    }
    value = p.mid(name.size() + 1);
    params.remove(i);
    return true;
  };
  for (qsizetype i = 0; i < params.size() && c.error.isEmpty();) {
    const QString p = params[i];
    const auto is = [&](const char* name) {
      return p.compare(name, Qt::CaseInsensitive) == 0 || p.startsWith(QString(name) + "=", Qt::CaseInsensitive);
    };
    QString value;
    if (is("--show")) {
      if (!take(i, "--show", value) || value.isEmpty()) c.error = "--show needs the file that carries the show.";
      else c.showFile = value;
    } else if (is("--slide")) {
      bool ok = false;
      const int n = take(i, "--slide", value) ? value.trimmed().toInt(&ok, 10) : 0;
      if (!ok || n < 0 || value.trimmed().startsWith('+')) c.error = QString("'%1' is not a slide number (0 is the first slide).").arg(value);
      else c.firstSlide = n;
    } else {
      ++i;
    }
  }
  return c;
}

bool ScreenSizedHost(QSize host, const QList<QSize>& screens) {
  for (const QSize& screen : screens)
    if (!screen.isEmpty() && host.width() >= screen.width() && host.height() >= screen.height()) return true;
  return false;
}

}  // namespace sf
