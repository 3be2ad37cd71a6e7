#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/common/fieldutil.h"
#include "tests/common/testutil.h"
#include "tools/install.h"
#include "tools/pack.h"

using namespace sftest;

namespace {

// What XScreenSaver itself writes: tabs and padding, disabled entries, visuals, a named entry,
// the list ended by an empty line, settings before and after it.
const QByteArray kWritten =
    "# XScreenSaver Preferences File\n"
    "# Written by xscreensaver-settings 6.06 for kim on Tue Dec  1 10:00:00 2026.\n"
    "# https://www.jwz.org/xscreensaver/\n"
    "\n"
    "timeout:\t0:10:00\n"
    "mode:\t\tone\n"
    "selected:\t2\n"
    "textLiteral:\tXScreenSaver \\\n"
    "programs: not the list\n"
    "\n"
    "programs:\t\t\t\t\t\t\t\t      \\\n"
    "\t\t\t\tmaze -root\t\t\t\t    \\n\\\n"
    "- GL: \t\t\t\tsuperquadrics -root\t\t\t    \\n\\\n"
    "  \"Flames\"  \t\t\txflame -root -delay 50\t\t    \\n\\\n"
    "\t\t\t\t/opt/shows/Sunset.scr.old -root\t    \\n\\\n"
    "\n"
    "\n"
    "pointerHysteresis:\t10\n";

QByteArray InsertedLine(const QString& name, const QString& path) {
  return "\t\t\t\t" + sf::SaverEntry(name, path) + " \\n\\\n";
}

}  // namespace

TEST(XScreenSaverFile, AnEntryGoesInAtTheEndOfTheListAndComesOutByteForByte) {
  const QString path = "/home/kim/.local/share/showforge/shows/Sunset.scr";
  EXPECT_EQ(sf::SaverPrograms(kWritten),
            QStringList({"maze", "superquadrics", "xflame", "/opt/shows/Sunset.scr.old"}));
  bool added = false;
  const QByteArray once = sf::AddSaverEntry(kWritten, "Sunset", path, &added);
  ASSERT_TRUE(added);
  // Exactly one line more, before the empty line that ends the list: every other byte stays.
  const qsizetype at = kWritten.indexOf("\n\n\npointer") + 1;
  EXPECT_EQ(once, kWritten.left(at) + InsertedLine("Sunset", path) + kWritten.mid(at));
  EXPECT_EQ(sf::SaverPrograms(once).last(), path);
  EXPECT_EQ(sf::SaverPrograms(once).size(), 5);
  // Twice is once; a program whose name only begins like the show's is another program.
  EXPECT_EQ(sf::AddSaverEntry(once, "Sunset", path, &added), once);
  EXPECT_FALSE(added);
  bool removed = false;
  EXPECT_EQ(sf::RemoveSaverEntry(once, path, &removed), kWritten);
  EXPECT_TRUE(removed);
  EXPECT_EQ(sf::RemoveSaverEntry(kWritten, path, &removed), kWritten);
  EXPECT_FALSE(removed);
  // A disabled entry of the show counts as its entry.
  QByteArray disabled = once;
  disabled.replace("\t\t\t\t\"Sunset\"", "-\t\t\t\"Sunset\"");
  EXPECT_EQ(sf::AddSaverEntry(disabled, "Sunset", path, &added), disabled);
  EXPECT_FALSE(added);
}

TEST(XScreenSaverFile, ListsWrittenByHandFilesWithoutOneAndOddNames) {
  bool added = false, removed = false;
  // No list: one is appended that holds the show; the file before it stays.
  const QByteArray plain = "timeout:\t0:05:00\nlock:\tFalse";
  QByteArray out = sf::AddSaverEntry(plain, "Show", "/s/a.scr", &added);
  EXPECT_TRUE(out.startsWith(plain + "\n"));
  EXPECT_EQ(sf::SaverPrograms(out), QStringList({"/s/a.scr"}));
  EXPECT_TRUE(sf::RemoveSaverEntry(out, "/s/a.scr", &removed).startsWith(plain));
  EXPECT_TRUE(sf::SaverPrograms(sf::RemoveSaverEntry(out, "/s/a.scr", &removed)).isEmpty());
  // An empty file (a new one).
  out = sf::AddSaverEntry("", "Show", "/s/a.scr", &added);
  EXPECT_EQ(out, "programs:\t\\\n" + InsertedLine("Show", "/s/a.scr") + "\n");

  // A list on one line, and one whose last line holds an entry: both go on to the show, and what
  // follows the list stays a setting of its own.
  for (const QByteArray& list : {QByteArray("programs: maze -root\nlock: True\n"),
                                 QByteArray("programs: \\\n  maze -root \\n\\\n  qix -root \\n\nlock: True\n"),
                                 QByteArray("programs:\nlock: True\n")}) {
    out = sf::AddSaverEntry(list, "Show", "/s/a.scr", &added);
    QStringList expected = sf::SaverPrograms(list);
    EXPECT_EQ(sf::SaverPrograms(out), expected + QStringList({"/s/a.scr"})) << out.toStdString();
    EXPECT_TRUE(out.endsWith("\nlock: True\n")) << out.toStdString();
    const QByteArray back = sf::RemoveSaverEntry(out, "/s/a.scr", &removed);
    EXPECT_TRUE(removed);
    EXPECT_EQ(sf::SaverPrograms(back), expected) << back.toStdString();
    EXPECT_TRUE(back.endsWith("\nlock: True\n")) << back.toStdString();
  }

  // Windows line ends stay Windows line ends.
  QByteArray crlf = kWritten;
  crlf.replace("\n", "\r\n");
  out = sf::AddSaverEntry(crlf, "Show", "/s/a.scr", &added);
  EXPECT_EQ(out.count("\r\n"), crlf.count("\r\n") + 1);
  EXPECT_EQ(out.count('\n'), out.count("\r\n"));
  EXPECT_EQ(sf::RemoveSaverEntry(out, "/s/a.scr", &removed), crlf);

  // A name cannot end the quotes or the entry; a copy's name needs no quoting in the command.
  EXPECT_EQ(sf::SaverEntry("My \"best\"\nshow\\", "/s/a.scr"), "\"My best show\" /s/a.scr -root");
  EXPECT_EQ(sf::ShowCopyName("/tmp/My Show (2).scr"), "My_Show__2_.scr");
  EXPECT_EQ(sf::ShowCopyName("-rf.scr"), "show_-rf.scr");
  EXPECT_EQ(sf::ShowCopyName("a;b$c.scr"), "a_b_c.scr");
}

namespace {

struct TInstall {
  int code;
  std::string out, err;
};

// Installs behind the player the build made (the tool's default is the one beside it).
TInstall Install(QStringList args) {
  std::ostringstream out, err;
  const int code = sf::CmdInstall(QStringList{"--player", SHOWFORGE_BIN} + args, out, err);
  return {code, out.str(), err.str()};
}

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

// A home of its own for each case, with a show whose project is "Sunset.scr".
struct THome {
  QString home, show, copy;
  explicit THome(const std::string& name) {
    home = QString::fromStdString(ScratchDir(name));
    setenv("HOME", home.toLocal8Bit().constData(), 1);
    unsetenv("XDG_DATA_HOME");
    ProjectBuilder b;
    b.header = HeaderField("ProjectName", "Sunset.scr");
    show = QString::fromStdString(WriteFile(name + "-My Sunset.scr", b.Build()));
    copy = home + "/.local/share/showforge/shows/" + sf::ShowCopyName(show);
    EXPECT_TRUE(copy.endsWith("-My_Sunset.scr"));
  }
  QString Rc() const { return home + "/.xscreensaver"; }
  QString Copy() const { return copy; }
};

}  // namespace

TEST(InstallCommand, CopiesTheShowAndNamesItOnceAndRemoveRestoresTheFile) {
  THome h("install-home");
  QFile rc(h.Rc());
  ASSERT_TRUE(rc.open(QIODevice::WriteOnly));
  rc.write(kWritten);
  rc.close();
  ASSERT_EQ(chmod(h.Rc().toLocal8Bit().constData(), 0640), 0);

  TInstall r = Install({h.show});
  ASSERT_EQ(r.code, 0) << r.err;
  // The show's program is not our player: the copy is its project behind ours, and says so.
  EXPECT_TRUE(Read(h.Copy()).startsWith(Read(SHOWFORGE_BIN)));
  EXPECT_NE(r.out.find("Rehosted"), std::string::npos) << r.out;
  EXPECT_TRUE(QFileInfo(h.Copy()).isExecutable());
  const QByteArray once = Read(h.Rc());
  EXPECT_EQ(sf::SaverPrograms(once).last(), h.Copy());
  EXPECT_TRUE(once.contains("\"Sunset\" " + h.Copy().toUtf8() + " -root"));
  struct stat st {};
  ASSERT_EQ(stat(h.Rc().toLocal8Bit().constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u) << "the settings file kept its permissions";

  r = Install({h.show});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Read(h.Rc()), once);
  EXPECT_NE(r.out.find("already"), std::string::npos) << r.out;

  r = Install({"--remove", h.show});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Read(h.Rc()), kWritten);
  EXPECT_FALSE(QFileInfo::exists(h.Copy()));
  EXPECT_TRUE(QDir(h.home + "/.local/share/showforge/shows").isEmpty());
  r = Install({"--remove", h.show});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("is not installed"), std::string::npos) << r.err;
}

TEST(InstallCommand, AMissingFileIsWrittenAndBadShowsAndHomesChangeNothing) {
  THome h("install-new");
  TInstall r = Install({h.show});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(sf::SaverPrograms(Read(h.Rc())), QStringList({h.Copy()}));
  // Its removal leaves no file, so XScreenSaver falls back on its own list rather than none.
  ASSERT_EQ(Install({"--remove", h.show}).code, 0);
  EXPECT_FALSE(QFileInfo::exists(h.Rc()));
  ASSERT_EQ(Install({h.show}).code, 0);

  // Not a show: nothing is copied or written.
  THome bad("install-bad");
  const QString notShow = QString::fromStdString(WriteFile("install-bad.txt", "just text"));
  r = Install({notShow});
  EXPECT_EQ(r.code, 1);
  EXPECT_FALSE(r.err.empty());
  EXPECT_FALSE(QFileInfo::exists(bad.Rc()));
  EXPECT_FALSE(QFileInfo::exists(bad.home + "/.local"));
  EXPECT_EQ(Install({}).code, 2);
  EXPECT_EQ(Install({"--force", h.show}).code, 2);

  // A home where the shows folder cannot be made (its .local is a file).
  THome blocked("install-blocked");
  { QFile f(blocked.Rc()); f.open(QIODevice::WriteOnly); f.write(kWritten); }
  { QFile f(blocked.home + "/.local"); f.open(QIODevice::WriteOnly); f.write("x"); }
  r = Install({blocked.show});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("cannot create"), std::string::npos) << r.err;
  EXPECT_EQ(Read(blocked.Rc()), kWritten);

  // The copy's place is taken by a folder: the settings file, written before the copy is put in
  // place, goes back to what it was.
  THome taken("install-taken");
  { QFile f(taken.Rc()); f.open(QIODevice::WriteOnly); f.write(kWritten); }
  ASSERT_TRUE(QDir().mkpath(taken.Copy() + "/inside"));
  r = Install({taken.show});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find(taken.Copy().toStdString()), std::string::npos) << r.err;
  EXPECT_EQ(Read(taken.Rc()), kWritten);

}

TEST(InstallCommand, AShowBehindThePlayerItselfIsInstalledAsItIs) {
  THome h("install-ours");
  // The same project behind the player: its rehosted copy is the file, byte for byte.
  const QString ours = h.home + "/ours.scr";
  std::ostringstream out, err;
  ASSERT_EQ(sf::CmdRehost({h.show, "-o", ours, "--player", SHOWFORGE_BIN}, out, err), 0) << err.str();
  const TInstall r = Install({ours});
  ASSERT_EQ(r.code, 0) << r.err;
  const QString copy = h.home + "/.local/share/showforge/shows/ours.scr";
  EXPECT_EQ(Read(copy), Read(ours));
  EXPECT_EQ(r.out.find("Rehosted"), std::string::npos) << r.out;
  // A file without a project is refused before anything is made.
  EXPECT_EQ(Install({SHOWFORGE_BIN}).code, 1);
  EXPECT_EQ(sf::SaverPrograms(Read(h.Rc())), QStringList{copy});
}

TEST(InstallCommand, AReadOnlyHomeChangesNothing) {
  // The settings file cannot be replaced, and the copy is not left behind.
  THome ro("install-readonly");
  { QFile f(ro.Rc()); f.open(QIODevice::WriteOnly); f.write(kWritten); }
  ASSERT_TRUE(QDir().mkpath(ro.home + "/.local/share/showforge/shows"));
  ASSERT_EQ(chmod(ro.home.toLocal8Bit().constData(), 0555), 0);
  if (geteuid() == 0) {
    chmod(ro.home.toLocal8Bit().constData(), 0755);
    GTEST_SKIP() << "running as root: a read-only home cannot be made by permissions";
  }
  const TInstall r = Install({ro.show});
  chmod(ro.home.toLocal8Bit().constData(), 0755);
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find(".xscreensaver"), std::string::npos) << r.err;
  EXPECT_EQ(Read(ro.Rc()), kWritten);
  EXPECT_TRUE(QDir(ro.home + "/.local/share/showforge/shows").isEmpty());
}
