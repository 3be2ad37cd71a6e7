#include "tools/commands.h"

#include <QFileInfo>
#include <memory>

#include "authoring/showfile.h"
#include "container/projectinfo.h"
#include "platform/convert.h"
#include "platform/random.h"
#include "platform/registry.h"
#include "settings/rwsetting.h"
#include "tools/describe.h"
#include "authoring/json.h"
#include "tools/effectcmd.h"
#include "tools/install.h"
#include "tools/pack.h"

namespace sf {
namespace {

const char kUsage[] =
    "usage: showforge-tool COMMAND ...\n"
    "  info FILE [--json] [--seed K]   the project that FILE carries: offset table, header, slides\n"
    "  settings NAME [--json]          the user settings stored for the project NAME (a project's\n"
    "                                  file name such as Sunset.scr, or a show file)\n"
    "  pack MANIFEST.json -o SHOW.scr [--player PATH]\n"
    "                                  a show: the player with the manifest's project appended\n"
    "  new PICTURE_OR_FOLDER... -o SHOW.scr [--music FILE_OR_FOLDER]... [--name NAME]\n"
    "      [--seconds N] [--effects random|all|LIST] [--speed S] [--caption-from-name]\n"
    "      [--recursive] [--player PATH]\n"
    "                                  a show of the pictures, clips and movies given (folders\n"
    "                                  in natural order); files it cannot play are left out\n"
    "  extract SHOW.scr -d DIR         the show's media and a manifest that packs it again\n"
    "  rehost SHOW.scr -o OUT.scr [--player PATH]\n"
    "                                  the show's project behind our player, its own program\n"
    "                                  left out\n"
    "  decode PICTURE [--code N] -o OUT.png\n"
    "                                  a picture decoded as the player decodes it\n"
    "  decode MOVIE.swf [--frame N | --ticks K] -o OUT.png\n"
    "                                  a flash movie's frame N (from 1), or what the flash window\n"
    "                                  shows after K ticks: every timeline, the movie's and each\n"
    "                                  sprite's, one frame a tick, frame actions run as they come\n"
    "  effect (--index N | --name NAME) [--size WxH] [--speed S] [--seed K] [--old PIC] [--new PIC]\n"
    "         -o OUT                   one transition, a PNG per tick into the folder OUT or an\n"
    "                                  animated OUT.gif; prints the tick count (--list: the table)\n"
    "  install [--remove] SHOW.scr [--player PATH]\n"
    "                                  puts the show's project behind our player in\n"
    "                                  ~/.local/share/showforge/shows and adds it to the programs\n"
    "                                  of ~/.xscreensaver (--remove: takes both away)\n";

struct TArgs {
  QStringList positional;
  bool json = false;
  bool seeded = false;
  uint32_t seed = 0;
  QString error;
};

TArgs ParseArgs(const QStringList& args, bool takesSeed) {
  TArgs a;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& w = args[i];
    if (w == "--json") {
      a.json = true;
    } else if (takesSeed && w == "--seed") {
      bool ok = false;
      a.seed = i + 1 < args.size() ? args[++i].toUInt(&ok) : 0;
      if (!ok) a.error = "--seed takes a whole number";
      a.seeded = true;
    } else if (w.startsWith("--")) {
      a.error = "unknown option " + w;
    } else {
      a.positional << w;
    }
  }
  return a;
}

}  // namespace

int CmdInfo(const QStringList& args, std::ostream& out, std::ostream& err) {
  TArgs a = ParseArgs(args, true);
  if (!a.error.isEmpty() || a.positional.size() != 1) {
    err << (a.error.isEmpty() ? std::string("info takes one FILE") : a.error.toStdString()) << "\n" << kUsage;
    return 2;
  }
  // The random defaults of the slide records are drawn as the player draws them.
  TRandom random(a.seed);
  if (!a.seeded) random.Randomize();
  QString error;
  auto project = OpenShow(a.positional[0], error, random);
  if (!project) {
    err << "showforge-tool: " << error.toStdString() << "\n";
    return 1;
  }
  // Clips are looked at through the media player: their size and length.
  TMediaList media;
  for (size_t n = 0; n < project->Slides.size(); ++n) media.push_back(ProbeMedia(*project, n));
  out << (a.json ? DescribeProject(*project, &media).Dump() : SummarizeProject(*project, &media));
  return 0;
}

int CmdSettings(const QStringList& args, std::ostream& out, std::ostream& err) {
  TArgs a = ParseArgs(args, false);
  if (!a.error.isEmpty() || a.positional.size() != 1) {
    err << (a.error.isEmpty() ? std::string("settings takes one NAME") : a.error.toStdString()) << "\n" << kUsage;
    return 2;
  }
  // A show file names its project itself; anything else is taken as the project's name.
  QString name = a.positional[0];
  if (QFileInfo(name).isFile()) {
    QString ignored;
    if (auto project = OpenShow(name, ignored)) name = project->ProjectName;
  }
  TRWSetting settings(name);
  const QString file = TRegistry().KeyFile(settings.SubKey());
  bool found = false;
  try {
    found = settings.Load();
  } catch (const ERegistryException& e) {
    err << "showforge-tool: " << e.what() << "\n";
    return 1;
  }
  if (!found && !settings.LastError().isEmpty()) {
    err << "showforge-tool: " << settings.LastError().toStdString() << "\n";
    return 1;
  }
  TJson o = TJson::MakeObject();
  std::string text = "Key: HKEY_LOCAL_MACHINE\\" + settings.SubKey().toStdString() + "\n" +
                     "File: " + file.toStdString() + (found ? "" : " (none yet: the defaults hold)") + "\n";
  struct Visit {
    TJson& o;
    std::string& text;
    void Add(const char* name, TJson v, const std::string& shown) {
      o.Set(name, std::move(v));
      text += std::string("  ") + name + ": " + shown + "\n";
    }
    void operator()(const char* name, const bool& v) { Add(name, v, v ? "true" : "false"); }
    void operator()(const char* name, const int32_t& v) { Add(name, v, std::to_string(v)); }
    void operator()(const char* name, const QString& v) { Add(name, v, JsonQuote(v)); }
  };
  TRWSetting::ForEachValue(std::as_const(settings), Visit{o, text});
  out << (a.json ? o.Dump() : text);
  return 0;
}

int ToolMain(const QStringList& args, std::ostream& out, std::ostream& err) {
  if (args.isEmpty() || args[0] == "--help" || args[0] == "-h") {
    (args.isEmpty() ? err : out) << kUsage;
    return args.isEmpty() ? 2 : 0;
  }
  const QString cmd = args[0];
  const QStringList rest = args.mid(1);
  if (cmd == "info") return CmdInfo(rest, out, err);
  if (cmd == "settings") return CmdSettings(rest, out, err);
  if (cmd == "pack") return CmdPack(rest, out, err);
  if (cmd == "new") return CmdNew(rest, out, err);
  if (cmd == "extract") return CmdExtract(rest, out, err);
  if (cmd == "rehost") return CmdRehost(rest, out, err);
  if (cmd == "decode") return CmdDecode(rest, out, err);
  if (cmd == "effect") return CmdEffect(rest, out, err);
  if (cmd == "install") return CmdInstall(rest, out, err);
  err << "showforge-tool: unknown command " << cmd.toStdString() << "\n" << kUsage;
  return 2;
}

}  // namespace sf
