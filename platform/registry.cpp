#include "platform/registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/ansi.h"

namespace sf {
namespace {

const char kRoot[] = "HKEY_LOCAL_MACHINE";

std::function<void(int)>& WriteHook() {
  static std::function<void(int)> hook;
  return hook;
}

int HexDigit(QChar c) {
  char16_t u = c.unicode();
  if (u >= '0' && u <= '9') return u - '0';
  if (u >= 'a' && u <= 'f') return u - 'a' + 10;
  if (u >= 'A' && u <= 'F') return u - 'A' + 10;
  return -1;
}

// Reads a quoted text with \\ and \" escapes from s at i (on the opening quote); i ends after
// the closing quote.
bool ReadQuoted(const QString& s, qsizetype& i, QString& out) {
  if (i >= s.size() || s[i] != '"') return false;
  out.clear();
  for (++i; i < s.size(); ++i) {
    QChar c = s[i];
    if (c == '"') {
      ++i;
      return true;
    }
    if (c == '\\' && i + 1 < s.size()) c = s[++i];
    out.append(c);
  }
  return false;
}

QString Quote(const QString& s) {
  QString out = "\"";
  for (QChar c : s) {
    if (c == '\\' || c == '"') out.append('\\');
    out.append(c);
  }
  return out + "\"";
}

bool HasControl(const QString& s) {
  for (QChar c : s)
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) return true;
  return false;
}

uint64_t Fnv1a(const QByteArray& bytes) {
  uint64_t h = 1469598103934665603ull;
  for (char b : bytes) h = (h ^ uint8_t(b)) * 1099511628211ull;
  return h;
}

}  // namespace

bool ParseRegText(std::string_view bytes, std::vector<TRegValue>& values, QString& error) {
  values.clear();
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  const QString text = AnsiToUnicode(bytes);
  const QStringList lines = text.split('\n');
  bool header = false, inKey = false, pastKey = false;
  int sections = 0;
  for (qsizetype n = 0; n < lines.size(); ++n) {
    QString line = lines[n];
    if (line.endsWith('\r')) line.chop(1);
    const int lineNo = int(n + 1);
    auto fail = [&](const QString& why) {
      error = QString("line %1: %2").arg(lineNo).arg(why);
      values.clear();
      return false;
    };
    QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(';')) continue;
    if (!header) {
      if (t != "REGEDIT4") return fail("the file does not begin with REGEDIT4");
      header = true;
      continue;
    }
    if (t.startsWith('[')) {
      if (!t.endsWith(']')) return fail("a key line without its closing ]");
      // The file holds one key; any further key section is not ours and is passed over.
      inKey = sections++ == 0;
      pastKey = !inKey;
      continue;
    }
    if (!inKey && !pastKey) return fail("a value before the key line");
    // A value: "name"=data or @=data.
    TRegValue v;
    qsizetype i = 0;
    if (t.startsWith('@')) {
      i = 1;
    } else if (!ReadQuoted(t, i, v.name)) {
      return fail("a value name without its closing quote");
    }
    while (i < t.size() && t[i] == ' ') ++i;
    if (i >= t.size() || t[i] != '=') return fail("a value without =");
    ++i;
    while (i < t.size() && t[i] == ' ') ++i;
    QString data = t.mid(i);
    bool remove = false;
    if (data.startsWith('"')) {
      qsizetype j = 0;
      if (!ReadQuoted(data, j, v.text) || !data.mid(j).trimmed().isEmpty())
        return fail("a text value without its closing quote");
      // A registry text ends at its first NUL, however it is written.
      if (qsizetype nul = v.text.indexOf(QChar(0)); nul >= 0) v.text.truncate(nul);
      v.type = TRegDataType::String;
    } else if (data.startsWith("dword:", Qt::CaseInsensitive)) {
      QString hex = data.mid(6).trimmed();
      if (hex.isEmpty() || hex.size() > 8) return fail("a dword value is not 1 to 8 hex digits");
      uint32_t u = 0;
      for (QChar c : hex) {
        int d = HexDigit(c);
        if (d < 0) return fail("a dword value is not 1 to 8 hex digits");
        u = (u << 4) | uint32_t(d);
      }
      v.type = TRegDataType::Integer;
      v.number = int32_t(u);
    } else if (data.startsWith("hex", Qt::CaseInsensitive)) {
      qsizetype colon = data.indexOf(':');
      if (colon < 0) return fail("a hex value without :");
      QString kind = data.left(colon).toLower();
      QString list = data.mid(colon + 1);
      // A hex list may run over several lines, each but the last ending in a backslash.
      while (list.trimmed().endsWith('\\') && n + 1 < lines.size()) {
        list = list.trimmed();
        list.chop(1);
        QString next = lines[++n];
        if (next.endsWith('\r')) next.chop(1);
        list += next.trimmed();
      }
      QByteArray raw;
      for (const QString& part : list.split(',', Qt::SkipEmptyParts)) {
        QString p = part.trimmed();
        if (p.size() != 2 || HexDigit(p[0]) < 0 || HexDigit(p[1]) < 0)
          return fail("a hex value has a byte that is not two hex digits");
        raw.append(char(HexDigit(p[0]) * 16 + HexDigit(p[1])));
      }
      if (kind == "hex(1)") {  // a string in the code page, ended by a NUL
        qsizetype nul = raw.indexOf('\0');
        if (nul >= 0) raw.truncate(nul);
        v.type = TRegDataType::String;
        v.text = AnsiToUnicode(std::string_view(raw.constData(), size_t(raw.size())));
      } else if (kind == "hex" || (kind.startsWith("hex(") && kind.endsWith(')'))) {
        v.type = TRegDataType::Other;
        QStringList bytes;
        for (char b : raw) bytes << QString("%1").arg(uint8_t(b), 2, 16, QChar('0'));
        v.raw = kind + ":" + bytes.join(',');
      } else {
        return fail("an unknown kind of value");
      }
    } else if (data == "-") {
      remove = true;
    } else {
      return fail("an unknown kind of value");
    }
    if (pastKey) continue;
    auto same = [&](const TRegValue& o) { return o.name.compare(v.name, Qt::CaseInsensitive) == 0; };
    std::erase_if(values, same);
    if (!remove) values.push_back(std::move(v));
  }
  if (!header) {
    error = "the file is empty";
    return false;
  }
  return true;
}

std::string FormatRegText(const QString& keyPath, const std::vector<TRegValue>& values) {
  // A key line cannot hold line breaks: control characters in a key name are written as '_'
  // there (the key is found by its file's name, which keeps them).
  QString key = keyPath;
  for (QChar& c : key)
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = '_';
  QString out = "REGEDIT4\r\n\r\n[" + QString(kRoot) + "\\" + key + "]\r\n";
  for (const TRegValue& v : values) {
    out += v.name.isEmpty() ? QString("@") : Quote(v.name);
    out += '=';
    if (v.type == TRegDataType::Integer) {
      out += QString("dword:%1").arg(uint32_t(v.number), 8, 16, QChar('0'));
    } else if (v.type == TRegDataType::Other) {
      out += v.raw;
    } else if (HasControl(v.text)) {
      // REGEDIT4 has no escape for line breaks: such a text is written as its bytes.
      std::string bytes = UnicodeToAnsi(v.text);
      out += "hex(1):";
      for (unsigned char b : bytes) out += QString("%1,").arg(b, 2, 16, QChar('0'));
      out += "00";
    } else {
      out += Quote(v.text);
    }
    out += "\r\n";
  }
  out += "\r\n";
  return UnicodeToAnsi(out);
}

QString SafeKeyFileName(const QString& part) {
  if (part.isEmpty()) return "%";
  const QByteArray utf8 = part.toUtf8();
  QByteArray out;
  for (qsizetype i = 0; i < utf8.size(); ++i) {
    uint8_t b = uint8_t(utf8[i]);
    if (b < 0x20 || b == 0x7F || b == '/' || b == '%' || (b == '.' && i == 0))
      out += '%' + QByteArray::number(b, 16).rightJustified(2, '0').toUpper();
    else
      out += char(b);
  }
  // File names are limited to 255 bytes: a longer name keeps its beginning and a hash of the
  // whole, cut where no escape or character is split.
  constexpr qsizetype kMax = 200, kKeep = 180;
  if (out.size() > kMax) {
    qsizetype cut = kKeep;
    while (cut > 0 && (uint8_t(out[cut]) & 0xC0) == 0x80) --cut;
    if (cut >= 1 && out[cut - 1] == '%') cut -= 1;
    else if (cut >= 2 && out[cut - 2] == '%') cut -= 2;
    out = out.left(cut) + '~' + QByteArray::number(qulonglong(Fnv1a(utf8)), 16).rightJustified(16, '0');
  }
  return QString::fromUtf8(out);
}

QString TRegistry::RootFolder() {
  QByteArray dir = qgetenv("SHOWFORGE_REGISTRY_DIR");
  if (!dir.isEmpty()) return QString::fromLocal8Bit(dir);
  QByteArray config = qgetenv("XDG_CONFIG_HOME");
  if (config.isEmpty()) config = qgetenv("HOME") + "/.config";
  return QString::fromLocal8Bit(config) + "/showforge/registry";
}

QString TRegistry::KeyFile(const QString& key) const {
  const QStringList parts = key.split('\\');
  QString path = RootFolder() + "/" + kRoot;
  for (qsizetype i = 0; i < parts.size(); ++i) path += "/" + SafeKeyFileName(parts[i]);
  return path + ".reg";
}

TRegistry::~TRegistry() {
  if (open_) CloseKey();
}

bool TRegistry::KeyExists(const QString& key) const { return QFileInfo(KeyFile(key)).isFile(); }

bool TRegistry::OpenKey(const QString& key, bool canCreate) {
  if (open_) CloseKey();
  error_.clear();
  values_.clear();
  key_ = key;
  dirty_ = replace_damaged_ = false;
  const QString path = KeyFile(key);
  QFile file(path);
  if (!file.exists()) {
    if (!canCreate) return false;
    if (!QDir().mkpath(QFileInfo(path).path())) {
      error_ = "cannot create the folder of " + path;
      return false;
    }
    open_ = dirty_ = true;
    return true;
  }
  if (!file.open(QIODevice::ReadOnly)) {
    error_ = "cannot read " + path + ": " + file.errorString();
    return false;
  }
  // A key file is a few hundred bytes; anything far larger is not one of ours.
  constexpr qint64 kLimit = 1 << 20;
  QString why;
  if (file.size() > kLimit) {
    why = "too large for a key file";
  } else {
    const QByteArray bytes = file.readAll();
    ParseRegText(std::string_view(bytes.constData(), size_t(bytes.size())), values_, why);
  }
  if (!why.isEmpty()) {
    error_ = path + ": " + why;
    if (!canCreate) return false;
    values_.clear();
    replace_damaged_ = true;
    dirty_ = true;
  }
  open_ = true;
  return true;
}

bool TRegistry::CloseKey() {
  if (!open_) return false;
  open_ = false;
  if (!dirty_) return true;
  dirty_ = false;
  const QString path = KeyFile(key_);
  const std::string bytes = FormatRegText(key_, values_);
  const QString dir = QFileInfo(path).path();
  if (!QDir().mkpath(dir)) {
    error_ = "cannot create the folder of " + path;
    return false;
  }
  QByteArray tmpl = (dir + "/." + QFileInfo(path).fileName() + ".XXXXXX").toLocal8Bit();
  int fd = ::mkstemp(tmpl.data());
  if (fd < 0) {
    error_ = "cannot write " + path + ": " + QString::fromLocal8Bit(strerror(errno));
    return false;
  }
  // The key holds the password: only its owner may read it.
  bool ok = ::fchmod(fd, 0600) == 0;
  auto writeAll = [&](const char* p, size_t n) {
    while (ok && n > 0) {
      ssize_t w = ::write(fd, p, n);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) ok = false;
      else p += w, n -= size_t(w);
    }
  };
  const size_t half = bytes.size() / 2;
  writeAll(bytes.data(), half);
  if (WriteHook()) WriteHook()(fd);
  writeAll(bytes.data() + half, bytes.size() - half);
  ok = ok && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (ok && replace_damaged_) {
    QFile::remove(path + ".damaged");
    QFile::copy(path, path + ".damaged");
  }
  if (ok) ok = ::rename(tmpl.constData(), path.toLocal8Bit().constData()) == 0;
  if (!ok) {
    error_ = "cannot write " + path + ": " + QString::fromLocal8Bit(strerror(errno));
    ::unlink(tmpl.constData());
    return false;
  }
  int dfd = ::open(dir.toLocal8Bit().constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return true;
}

const TRegValue* TRegistry::Find(const QString& name) const {
  for (const TRegValue& v : values_)
    if (v.name.compare(name, Qt::CaseInsensitive) == 0) return &v;
  return nullptr;
}

TRegValue& TRegistry::Slot(const QString& name) {
  dirty_ = true;
  for (TRegValue& v : values_)
    if (v.name.compare(name, Qt::CaseInsensitive) == 0) return v;
  values_.emplace_back();
  values_.back().name = name;
  return values_.back();
}

bool TRegistry::ValueExists(const QString& name) const { return Find(name) != nullptr; }

int32_t TRegistry::ReadInteger(const QString& name) const {
  const TRegValue* v = Find(name);
  if (!v) throw ERegistryException(QString("Failed to get data for '%1'").arg(name));
  if (v->type != TRegDataType::Integer)
    throw ERegistryException(QString("Invalid data type for '%1'").arg(name));
  return v->number;
}

QString TRegistry::ReadString(const QString& name) const {
  const TRegValue* v = Find(name);
  if (!v) return {};
  if (v->type != TRegDataType::String)
    throw ERegistryException(QString("Invalid data type for '%1'").arg(name));
  return v->text;
}

void TRegistry::WriteInteger(const QString& name, int32_t value) {
  TRegValue& v = Slot(name);
  v.type = TRegDataType::Integer;
  v.number = value;
  v.text.clear();
}

void TRegistry::WriteString(const QString& name, const QString& value) {
  TRegValue& v = Slot(name);
  v.type = TRegDataType::String;
  v.text = value;
  v.number = 0;
}

void SetRegistryWriteHookForTesting(std::function<void(int fd)> hook) { WriteHook() = std::move(hook); }

}  // namespace sf
