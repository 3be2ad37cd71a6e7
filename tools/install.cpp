#include "tools/install.h"

#include "authoring/pack.h"

namespace sf {
namespace {

const char kInstallUsage[] = "usage: showforge-tool install [--remove] SHOW.scr [--player PATH]\n";

}  // namespace

int CmdInstall(const QStringList& args, std::ostream& out, std::ostream& err) {
  bool remove = false;
  QString player;
  QStringList shows;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == "--remove") remove = true;
    else if (a == "--player" && i + 1 < args.size()) player = DiskPath(args[++i]);
    else if (a.startsWith("--")) {
      err << "showforge-tool: unknown option " << a.toStdString() << "\n" << kInstallUsage;
      return 2;
    } else shows << DiskPath(a);
  }
  if (shows.size() != 1) {
    err << "install takes one SHOW.scr\n" << kInstallUsage;
    return 2;
  }
  const QString show = shows[0];
  if (remove) {
    TRemoveReport report;
    if (TResult r = RemoveShow(show, report); !r.Ok()) {
      err << "showforge-tool: " << r.error.toStdString() << "\n";
      return 1;
    }
    out << "Removed " << report.copyPath.toStdString()
        << (report.removedEntry ? " and its entry in " + report.rcPath.toStdString() : "") << "\n";
    return 0;
  }
  if (player.isEmpty()) player = DefaultPlayer();
  TInstallReport report;
  if (TResult r = InstallShow(show, player, report); !r.Ok()) {
    err << "showforge-tool: " << r.error.toStdString() << "\n";
    return 1;
  }
  // The show's own program is never installed: say so when it was not the player itself.
  if (!report.ownPlayer)
    out << "Rehosted: the program in " << show.toStdString() << " is not this player and is left out; the copy plays "
        << "its project with " << player.toStdString() << "\n";
  out << "Installed \"" << report.name.toStdString() << "\": " << report.copyPath.toStdString()
      << (report.added ? ", added to the programs of " : ", already in the programs of ") << report.rcPath.toStdString()
      << "\n";
  return 0;
}

}  // namespace sf
