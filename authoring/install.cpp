#include "authoring/install.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <memory>

#include "authoring/atomicfile.h"
#include "authoring/pack.h"
#include "authoring/showfile.h"

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

QString SaverSettingsPath() { return QDir::homePath() + "/.xscreensaver"; }

QString InstalledShowsFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/showforge/shows";
}

TResult RemoveShow(const QString& show, TRemoveReport& report) {
  const QString rcPath = SaverSettingsPath(), copyPath = InstalledShowsFolder() + "/" + ShowCopyName(show);
  report = {copyPath, rcPath, false};
  QByteArray rc;
  if (QFileInfo::exists(rcPath)) {
    QFile f(rcPath);
    if (!f.open(QIODevice::ReadOnly)) return Failure("cannot read " + rcPath + ": " + f.errorString());
    rc = f.readAll();
  }
  bool removed = false;
  const QByteArray newRc = RemoveSaverEntry(rc, copyPath, &removed);
  const bool copied = QFileInfo::exists(copyPath);
  if (!removed && !copied) return Failure(show + " is not installed (no " + copyPath + ", no entry in " + rcPath + ")");
  // The copy is set aside first, so that a file that cannot be written leaves both as they were.
  const QString aside = copyPath + ".removing";
  if (copied && !QFile::rename(copyPath, aside)) return Failure("cannot remove " + copyPath);
  auto restore = [&](TResult failure) {
    if (copied) QFile::rename(aside, copyPath);
    return failure;
  };
  // A file that held nothing but the list install wrote for it goes away with its last entry:
  // XScreenSaver with an empty list would have no savers at all, without the file it has its own.
  const bool onlyOurs = newRc == kNewList + "\n\n";
  if (removed && onlyOurs && !QFile::remove(rcPath)) return restore(Failure("cannot remove " + rcPath));
  if (removed && !onlyOurs)
    if (TResult r = WriteFileAtomically(rcPath, newRc); !r.Ok()) return restore(r);
  if (copied) QFile::remove(aside);
  report.removedEntry = removed;
  return {};
}

TResult InstallShow(const QString& show, const QString& player, TInstallReport& report) {
  const QString rcPath = SaverSettingsPath(), showsDir = InstalledShowsFolder();
  const QString copyPath = showsDir + "/" + ShowCopyName(show);
  report = {};
  report.rcPath = rcPath;
  report.copyPath = copyPath;
  if (QString why = CheckPlayer(player, copyPath); !why.isEmpty()) return Failure(why);

  QByteArray rc;
  const bool rcExisted = QFileInfo::exists(rcPath);
  if (rcExisted) {
    QFile f(rcPath);
    if (!f.open(QIODevice::ReadOnly)) return Failure("cannot read " + rcPath + ": " + f.errorString());
    rc = f.readAll();
  }
  QString error;
  const auto project = OpenShow(show, error);
  if (!project) return Failure(error);
  report.name = QFileInfo(project->ProjectName).completeBaseName();
  if (report.name.isEmpty()) report.name = QFileInfo(show).completeBaseName();

  // The copy is written beside its place and put there last: a home that cannot take the copy or
  // the settings file is left as it was.
  if (!QDir().mkpath(showsDir)) return Failure("cannot create " + showsDir);
  TAtomicFile copy(copyPath);
  if (TResult r = copy.Open(); !r.Ok()) return r;
  TRehostReport rehost;
  if (TResult r = RehostInto(*project, player, copy, &rehost); !r.Ok())
    return Failure("cannot install " + show + " as " + copyPath + ": " + r.error);
  report.ownPlayer = rehost.ownPlayer;
  copy.SetPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                      QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther);
  const QByteArray newRc = AddSaverEntry(rc, report.name, copyPath, &report.added);
  if (report.added)
    if (TResult r = WriteFileAtomically(rcPath, newRc); !r.Ok()) return r;
  if (TResult r = copy.Commit(); !r.Ok()) {
    // The settings file goes back to what it was.
    if (report.added) rcExisted ? (void)WriteFileAtomically(rcPath, rc) : (void)QFile::remove(rcPath);
    return r;
  }
  return {};
}

}  // namespace sf
