#include "tools/install.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <memory>

#include "container/projectinfo.h"
#include "platform/convert.h"

namespace sf {
namespace {

// ~/.xscreensaver is X resources: "name: value" lines, a value going on over the next line while
// its line ends in a backslash. The programs list is one value whose entries are separated by a
// literal \n; XScreenSaver writes one entry a line and ends the list with an empty line:
//
//   programs:                  \|
//                  maze -root  \n\|
//     GL:          gears -root \n\|
//   |
//
// ('|' marks the end of a line.) An entry is [-] [VISUAL:] ["NAME"] COMMAND; a leading '-' disables it.

struct TLine {
  qsizetype begin, end;  // the line's bytes without its newline
};

// The first line of a programs list that install writes where there is none.
const QByteArray kNewList = "programs:\t\\";

std::vector<TLine> SplitLines(const QByteArray& file) {
  std::vector<TLine> lines;
  qsizetype at = 0;
  while (at < file.size()) {
    qsizetype nl = file.indexOf('\n', at);
    if (nl < 0) nl = file.size();
    lines.push_back({at, nl});
    at = nl + 1;
  }
  return lines;
}

QByteArray Text(const QByteArray& file, const TLine& l) {
  QByteArray t = file.mid(l.begin, l.end - l.begin);
  if (t.endsWith('\r')) t.chop(1);
  return t;
}

bool Continues(const QByteArray& text) { return text.endsWith('\\'); }

// The lines [first, last] of the programs value; first is -1 when the file has none. A line that
// goes on from the line before belongs to that line's value, whatever it starts with.
void FindPrograms(const QByteArray& file, const std::vector<TLine>& lines, qsizetype& first, qsizetype& last) {
  first = last = -1;
  bool continuation = false;
  for (qsizetype i = 0; i < qsizetype(lines.size()); ++i) {
    const QByteArray t = Text(file, lines[i]);
    if (first < 0 && !continuation && t.trimmed().startsWith("programs:")) first = i;
    continuation = Continues(t);
    if (first >= 0 && !continuation) {
      last = i;
      return;
    }
  }
  if (first >= 0) last = qsizetype(lines.size()) - 1;  // a file that ends inside the list
}

// The program an entry runs: the first word of its command; empty for a line without an entry.
QByteArray EntryProgram(QByteArray entry) {
  auto firstBlank = [](const QByteArray& t) {
    for (qsizetype i = 0; i < t.size(); ++i)
      if (t[i] == ' ' || t[i] == '\t') return i;
    return t.size();
  };
  entry = entry.trimmed();
  if (entry.startsWith('-')) entry = entry.mid(1).trimmed();
  // A visual: one word ending in ':' before the command ("GL:", "default:").
  const qsizetype word = firstBlank(entry);
  if (word > 1 && entry[word - 1] == ':' && !entry.left(word).contains('"')) entry = entry.mid(word).trimmed();
  if (entry.startsWith('"')) {
    const qsizetype close = entry.indexOf('"', 1);
    entry = close < 0 ? QByteArray() : entry.mid(close + 1).trimmed();
  }
  return entry.left(firstBlank(entry));
}

// The entries one line of the list holds: its text without the resource's name, the line's
// continuation, split at the literal \n.
QList<QByteArray> LineEntries(QByteArray text, bool header) {
  if (header) text = text.mid(text.indexOf(':') + 1);
  if (Continues(text)) text.chop(1);
  QList<QByteArray> entries;
  qsizetype from = 0;
  for (qsizetype at; (at = text.indexOf("\\n", from)) >= 0; from = at + 2) entries << text.mid(from, at - from);
  entries << text.mid(from);
  return entries;
}

bool LineRuns(const QByteArray& text, bool header, const QByteArray& program) {
  for (const QByteArray& entry : LineEntries(text, header))
    if (!program.isEmpty() && EntryProgram(entry) == program) return true;
  return false;
}

QByteArray Newline(const QByteArray& file) { return file.contains("\r\n") ? "\r\n" : "\n"; }

}  // namespace

QByteArray SaverEntry(const QString& name, const QString& path) {
  QString shown = name;
  shown.remove('"').remove('\\').replace('\n', ' ').replace('\r', ' ');
  return "\"" + shown.toUtf8() + "\" " + path.toUtf8() + " -root";
}

QStringList SaverPrograms(const QByteArray& file) {
  const std::vector<TLine> lines = SplitLines(file);
  qsizetype first, last;
  FindPrograms(file, lines, first, last);
  QStringList programs;
  for (qsizetype i = first; first >= 0 && i <= last; ++i)
    for (const QByteArray& entry : LineEntries(Text(file, lines[i]), i == first)) {
      const QByteArray program = EntryProgram(entry);
      if (!program.isEmpty()) programs << QString::fromUtf8(program);
    }
  return programs;
}

QByteArray AddSaverEntry(const QByteArray& file, const QString& name, const QString& path, bool* added) {
  *added = false;
  if (SaverPrograms(file).contains(path)) return file;
  *added = true;
  const QByteArray nl = Newline(file);
  const QByteArray line = "\t\t\t\t" + SaverEntry(name, path) + " \\n\\";
  const std::vector<TLine> lines = SplitLines(file);
  qsizetype first, last;
  FindPrograms(file, lines, first, last);
  if (first < 0) {
    // No list yet: one that holds the show, at the end of the file.
    QByteArray out = file;
    if (!out.isEmpty() && !out.endsWith('\n')) out += nl;
    if (!out.isEmpty()) out += nl;
    return out + kNewList + nl + line + nl + nl;
  }
  const QByteArray end = Text(file, lines[last]);
  const QByteArray rest = lines[last].end < file.size() ? file.mid(lines[last].end + 1) : QByteArray();
  if (last > first && end.trimmed().isEmpty()) {
    // The list as XScreenSaver writes it: the entry goes in before the empty line that ends it,
    // so that the numbers of the entries before it (the "selected" setting) stay as they were.
    return file.left(lines[last].begin) + line + nl + file.mid(lines[last].begin);
  }
  // A list written by hand: its last line goes on to the new entry, and an empty line ends the
  // list as XScreenSaver ends it.
  QByteArray open = end;
  if (!Continues(end)) {
    QByteArray trimmed = end;
    while (trimmed.endsWith(' ') || trimmed.endsWith('\t')) trimmed.chop(1);
    const bool noEntries = last == first && trimmed.mid(trimmed.indexOf(':') + 1).trimmed().isEmpty();
    open += noEntries ? "\t\\" : trimmed.endsWith("\\n") ? "\\" : " \\n\\";
  }
  return file.left(lines[last].begin) + open + nl + line + nl + nl + rest;
}

QByteArray RemoveSaverEntry(const QByteArray& file, const QString& path, bool* removed) {
  *removed = false;
  const QByteArray program = path.toUtf8();
  const std::vector<TLine> lines = SplitLines(file);
  qsizetype first, last;
  FindPrograms(file, lines, first, last);
  if (first < 0) return file;
  QByteArray out = file.left(lines[first].begin);
  for (qsizetype i = 0; i < qsizetype(lines.size()); ++i) {
    if (i < first) continue;
    const TLine& l = lines[i];
    const bool hasNewline = l.end < file.size();
    QByteArray raw = file.mid(l.begin, l.end - l.begin) + (hasNewline ? "\n" : "");
    if (i <= last && i > first && LineRuns(Text(file, l), false, program)) {
      *removed = true;
      // The last line of the list ends it: an empty line keeps the line before it going on to an end.
      if (i == last) out += hasNewline ? QByteArray(raw.endsWith("\r\n") ? "\r\n" : "\n") : QByteArray();
      continue;
    }
    if (i == first && LineRuns(Text(file, l), true, program)) {
      // A list written on its one line: only the name of the resource stays.
      *removed = true;
      raw = "programs:" + QByteArray(Continues(Text(file, l)) ? "\\" : "") + (hasNewline ? Newline(file) : "");
    }
    out += raw;
  }
  return out;
}

QString ShowCopyName(const QString& showPath) {
  QString name = QFileInfo(showPath).fileName();
  for (QChar& c : name)
    if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != '.' && c != '_' && c != '-' && c != '+') c = '_';
  if (name.isEmpty() || name.startsWith('.') || name.startsWith('-')) name.prepend("show_");
  return name;
}

namespace {

// Writes bytes to path through a temporary file renamed over it: a reader sees the old file or
// the new, never a part. An existing file keeps its permissions.
bool WriteAtomically(const QString& path, const QByteArray& bytes, QString& error) {
  QSaveFile f(path);
  if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
    error = "cannot write " + path + ": " + f.errorString();
    return false;
  }
  return true;
}

const char kInstallUsage[] = "usage: showforge-tool install [--remove] SHOW.scr\n";

}  // namespace

int CmdInstall(const QStringList& args, std::ostream& out, std::ostream& err) {
  bool remove = false;
  QStringList shows;
  for (const QString& a : args) {
    if (a == "--remove") remove = true;
    else if (a.startsWith("--")) {
      err << "showforge-tool: unknown option " << a.toStdString() << "\n" << kInstallUsage;
      return 2;
    } else shows << a;
  }
  if (shows.size() != 1) {
    err << "install takes one SHOW.scr\n" << kInstallUsage;
    return 2;
  }
  const QString show = shows[0];
  const QString rcPath = QDir::homePath() + "/.xscreensaver";
  const QString showsDir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/showforge/shows";
  const QString copyPath = showsDir + "/" + ShowCopyName(show);
  auto fail = [&err](const QString& message) {
    err << "showforge-tool: " << message.toStdString() << "\n";
    return 1;
  };

  QByteArray rc;
  const bool rcExisted = QFileInfo::exists(rcPath);
  if (rcExisted) {
    QFile f(rcPath);
    if (!f.open(QIODevice::ReadOnly)) return fail("cannot read " + rcPath + ": " + f.errorString());
    rc = f.readAll();
  }
  QString error;

  if (remove) {
    bool removed = false;
    const QByteArray newRc = RemoveSaverEntry(rc, copyPath, &removed);
    const bool copied = QFileInfo::exists(copyPath);
    if (!removed && !copied) return fail(show + " is not installed (no " + copyPath + ", no entry in " + rcPath + ")");
    // The copy is set aside first, so that a file that cannot be written leaves both as they were.
    const QString aside = copyPath + ".removing";
    if (copied && !QFile::rename(copyPath, aside)) return fail("cannot remove " + copyPath);
    // A file that held nothing but the list install wrote for it goes away with its last entry:
    // XScreenSaver with an empty list would have no savers at all, without the file it has its own.
    const bool onlyOurs = newRc == kNewList + "\n\n";
    if (removed && onlyOurs && !QFile::remove(rcPath)) {
      if (copied) QFile::rename(aside, copyPath);
      return fail("cannot remove " + rcPath);
    }
    if (removed && !onlyOurs && !WriteAtomically(rcPath, newRc, error)) {
      if (copied) QFile::rename(aside, copyPath);
      return fail(error);
    }
    if (copied) QFile::remove(aside);
    out << "Removed " << copyPath.toStdString() << (removed ? " and its entry in " + rcPath.toStdString() : "")
        << "\n";
    return 0;
  }

  QString name;
  try {
    TProjectInfo project(show);
    if (!project.FileOpened()) return fail("cannot open " + show);
    project.ReadHeader();
    if (!project.LoadError().isEmpty()) return fail(show + ": the project is damaged: " + project.LoadError());
    name = QFileInfo(project.ProjectName).completeBaseName();
  } catch (const EConvertError& e) {
    return fail(show + ": " + QString::fromStdString(e.what()));
  }
  if (name.isEmpty()) name = QFileInfo(show).completeBaseName();

  // The copy is written beside its place and put there last: a home that cannot take the copy or
  // the settings file is left as it was.
  if (!QDir().mkpath(showsDir)) return fail("cannot create " + showsDir);
  QFile source(show);
  if (!source.open(QIODevice::ReadOnly)) return fail("cannot read " + show + ": " + source.errorString());
  QSaveFile copy(copyPath);
  if (!copy.open(QIODevice::WriteOnly)) return fail("cannot write " + copyPath + ": " + copy.errorString());
  while (!source.atEnd()) {
    const QByteArray chunk = source.read(1 << 20);
    if (chunk.isEmpty() || copy.write(chunk) != chunk.size()) {
      copy.cancelWriting();
      return fail("cannot copy " + show + " to " + copyPath + ": " + copy.errorString());
    }
  }
  copy.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                      QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther);
  bool added = false;
  const QByteArray newRc = AddSaverEntry(rc, name, copyPath, &added);
  if (added && !WriteAtomically(rcPath, newRc, error)) {
    copy.cancelWriting();
    return fail(error);
  }
  if (!copy.commit()) {
    // The settings file goes back to what it was.
    QString ignored;
    if (added) rcExisted ? WriteAtomically(rcPath, rc, ignored) : QFile::remove(rcPath);
    return fail("cannot write " + copyPath + ": " + copy.errorString());
  }
  out << "Installed \"" << name.toStdString() << "\": " << copyPath.toStdString()
      << (added ? ", added to the programs of " : ", already in the programs of ") << rcPath.toStdString() << "\n";
  return 0;
}

}  // namespace sf
