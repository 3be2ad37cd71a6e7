#include "tools/pack.h"

#include <QFileInfo>
#include <cstdio>
#include <unistd.h>

#include "authoring/manifest.h"
#include "authoring/newshow.h"
#include "authoring/pack.h"
#include "authoring/showfile.h"
#include "container/picture.h"
#include "imaging/graphic.h"
#include "swf/player.h"
#include "transitions/table.h"

namespace sf {

TProgressLine::TProgressLine(const char* what) : what_(what), tty_(isatty(2)) {}

TProgressLine::~TProgressLine() {
  if (shown_) std::fprintf(stderr, "\n");
}

bool TProgressLine::operator()(int64_t done, int64_t total) {
  constexpr int64_t kLarge = 16 << 20;  // a progress line only for large media
  if (!tty_ || total < kLarge) return true;
  std::fprintf(stderr, "\r%s: %lld of %lld MB", what_, (long long)(done >> 20), (long long)(total >> 20));
  shown_ = true;
  return true;
}

namespace {

int Failed(std::ostream& err, const TResult& r) {
  err << "showforge-tool: " << r.error.toStdString() << "\n";
  return 1;
}

// One input and options that each take a value, in any order; false for anything else or no
// input.
bool InputAndOptions(const QStringList& args, QString& input, std::initializer_list<std::pair<const char*, QString*>> options) {
  for (qsizetype i = 0; i < args.size(); ++i) {
    bool taken = false;
    for (const auto& [name, value] : options)
      if (args[i] == name && i + 1 < args.size()) *value = DiskPath(args[++i]), taken = true;
    if (taken) continue;
    if (!input.isEmpty() || args[i].startsWith('-')) return false;
    input = DiskPath(args[i]);
  }
  return !input.isEmpty();
}

// The player a show is written behind; false, with the message given, when there is none.
bool FindPlayer(QString& player, std::ostream& err) {
  if (player.isEmpty()) player = DefaultPlayer();
  if (QFileInfo(player).isFile()) return true;
  err << "showforge-tool: no player at " << player.toStdString() << " (give one with --player)\n";
  return false;
}

}  // namespace

int CmdPack(const QStringList& args, std::ostream& out, std::ostream& err) {
  QString manifest, output, player;
  if (!InputAndOptions(args, manifest, {{"-o", &output}, {"--player", &player}}) || output.isEmpty()) {
    err << "usage: showforge-tool pack MANIFEST.json -o SHOW.scr [--player PATH]\n";
    return 2;
  }
  if (!FindPlayer(player, err)) return 1;
  TShowDocument document;
  if (TResult r = ReadManifest(manifest, document); !r.Ok()) return Failed(err, r);
  {
    TProgressLine progress("packing media");
    if (TResult r = Pack(document, player, output, std::ref(progress)); !r.Ok()) return Failed(err, r);
  }
  out << "packed " << output.toStdString() << " (" << QFileInfo(output).size() << " bytes)\n";
  return 0;
}

int CmdExtract(const QStringList& args, std::ostream& out, std::ostream& err) {
  QString show, dir;
  if (!InputAndOptions(args, show, {{"-d", &dir}}) || dir.isEmpty()) {
    err << "usage: showforge-tool extract SHOW.scr -d DIR\n";
    return 2;
  }
  TShowDocument document;
  if (TResult r = Extract(show, dir, &document); !r.Ok()) return Failed(err, r);
  out << "extracted " << document.slides.size() << " slides to " << dir.toStdString() << "\n";
  return 0;
}

namespace {

const char kNewUsage[] =
    "usage: showforge-tool new PICTURE_OR_FOLDER... -o SHOW.scr [--music FILE_OR_FOLDER]... [--name NAME]\n"
    "         [--seconds N] [--effects random|all|LIST] [--speed S] [--caption-from-name] [--recursive]\n"
    "         [--player PATH]\n";

// A whole number from low to high into value; false, value untouched, for anything else.
bool NumberIn(const QString& text, int32_t low, int32_t high, int32_t& value) {
  bool ok = false;
  const int32_t n = text.toInt(&ok);
  if (!ok || n < low || n > high) return false;
  value = n;
  return true;
}

// --effects: "random" (all 161 at random), "all" (all 161 in turn) or a comma-separated list of
// indices and names (case aside), taken in turn in the order given. Gives the error, or empty.
std::string ParseEffects(const QString& text, TNewShowOptions& o) {
  o.effectList.clear();
  o.randomEffect = text == "random";
  if (text == "random" || text == "all") return {};
  for (const QString& item : text.split(',')) {
    const QString name = item.trimmed();
    int32_t index = -1;
    if (!NumberIn(name, 0, kEffectCount - 1, index)) {
      for (int32_t i = 0; i < kEffectCount; ++i)
        if (name.compare(QLatin1String(EffectTable()[size_t(i)].name), Qt::CaseInsensitive) == 0) index = i;
    }
    if (index < 0)
      return "no effect is numbered or named \"" + name.toStdString() + "\" (showforge-tool effect --list shows them)";
    o.effectList += QString::number(index) + ';';
  }
  return {};
}

}  // namespace

int CmdNew(const QStringList& args, std::ostream& out, std::ostream& err) {
  QStringList inputs, music;
  QString output, player;
  TNewShowOptions options;
  bool named = false;
  std::string bad;
  for (qsizetype i = 0; i < args.size() && bad.empty(); ++i) {
    const QString& a = args[i];
    const bool value = i + 1 < args.size();
    if (a == "-o" && value) output = DiskPath(args[++i]);
    else if (a == "--player" && value) player = DiskPath(args[++i]);
    else if (a == "--music" && value) music << args[++i];
    else if (a == "--name" && value) options.name = args[++i], named = true;
    else if (a == "--seconds" && value) {
      if (!NumberIn(args[++i], 1, 86400, options.seconds)) bad = "--seconds takes a whole number from 1 to 86400";
    } else if (a == "--speed" && value) {
      if (!NumberIn(args[++i], 1, 50, options.speed)) bad = "--speed takes a whole number from 1 to 50";
    } else if (a == "--effects" && value) {
      bad = ParseEffects(args[++i], options);
    } else if (a == "--caption-from-name") {
      options.captionFromName = true;
    } else if (a == "--recursive") {
      options.recursive = true;
    } else if (a.startsWith('-') && a != "-") {
      bad = (value || !a.startsWith("--") ? "unknown option " : "a value must follow ") + a.toStdString();
    } else {
      inputs << a;
    }
  }
  if (bad.empty() && (inputs.isEmpty() || output.isEmpty())) bad = "new takes pictures or folders and -o SHOW.scr";
  if (bad.empty() && named && options.name.trimmed().isEmpty()) bad = "--name takes a name";
  if (!bad.empty()) {
    err << "showforge-tool: " << bad << "\n" << kNewUsage;
    return 2;
  }
  if (!FindPlayer(player, err)) return 1;
  if (!named) options.name = StoredFileName(output);
  options.output = output;
  TShowDocument document;
  auto leftOut = [&err](const QString& path, const QString& why) {
    err << "showforge-tool: left out " << path.toStdString() << ": " << why.toStdString() << "\n";
  };
  if (TResult r = NewShowDocument(inputs, music, options, leftOut, document); !r.Ok()) return Failed(err, r);
  {
    TProgressLine progress("packing media");
    if (TResult r = Pack(document, player, output, std::ref(progress)); !r.Ok()) return Failed(err, r);
  }
  out << "made " << output.toStdString() << " (" << QFileInfo(output).size() << " bytes): " << document.slides.size()
      << (document.slides.size() == 1 ? " slide" : " slides");
  if (!document.music.isEmpty())
    out << ", " << document.music.size() << (document.music.size() == 1 ? " music file" : " music files");
  out << "\n";
  return 0;
}

int CmdRehost(const QStringList& args, std::ostream& out, std::ostream& err) {
  QString show, output, player;
  if (!InputAndOptions(args, show, {{"-o", &output}, {"--player", &player}}) || output.isEmpty()) {
    err << "usage: showforge-tool rehost SHOW.scr -o OUT.scr [--player PATH]\n";
    return 2;
  }
  if (!FindPlayer(player, err)) return 1;
  TRehostReport report;
  {
    TProgressLine progress("rehosting");
    if (TResult r = Rehost(show, player, output, &report, std::ref(progress)); !r.Ok()) return Failed(err, r);
  }
  out << "rehosted " << output.toStdString() << " (" << QFileInfo(output).size() << " bytes): the project of "
      << show.toStdString() << " behind " << player.toStdString()
      << (report.ownPlayer ? " (its own program was this player)" : ", its own program left out") << "\n";
  return 0;
}

int CmdDecode(const QStringList& args, std::ostream& out, std::ostream& err) {
  QString input, output;
  int32_t code = 0, frame = 1, ticks = 0;
  bool codeGiven = false, frameGiven = false;
  for (qsizetype i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size()) {
      output = args[++i];
    } else if (args[i] == "--frame" && i + 1 < args.size() && ticks == 0) {  // one way to choose the picture
      bool ok = false;
      frame = args[++i].toInt(&ok);
      frameGiven = ok && frame >= 1;
      if (!frameGiven) input.clear(), i = args.size();
    } else if (args[i] == "--ticks" && i + 1 < args.size() && !frameGiven) {
      bool ok = false;
      ticks = args[++i].toInt(&ok);
      if (!ok || ticks < 1) ticks = 0, input.clear(), i = args.size();
    } else if (args[i] == "--code" && i + 1 < args.size()) {
      bool ok = false;
      code = args[++i].toInt(&ok);
      codeGiven = ok;
      if (!ok) input.clear(), i = args.size();
    } else if (input.isEmpty() && !args[i].startsWith('-')) {
      input = args[i];
    } else {
      input.clear();
      break;
    }
  }
  if (input.isEmpty() || output.isEmpty()) {
    err << "usage: showforge-tool decode PICTURE [--code N] -o OUT.png\n"
           "       showforge-tool decode MOVIE.swf [--frame N | --ticks K] -o OUT.png\n";
    return 2;
  }
  QFile file(input);
  if (!file.open(QIODevice::ReadOnly)) {
    err << "showforge-tool: cannot read " << input.toStdString() << "\n";
    return 1;
  }
  // A flash movie at the stage's size, as the player shows it: its frame N (from 1), or what the
  // flash window shows after K ticks.
  const QByteArray head = file.peek(3);
  if (head == "FWS" || head == "CWS" || head == "ZWS" || ((frameGiven || ticks > 0) && !codeGiven)) {
    try {
      const QByteArray bytes = file.readAll();
      auto movie = swf::TSwfMovie::Load(bytes);
      // The stage is drawn whole: a stage far larger than the movie's data could justify is
      // refused as a picture of that size would be.
      const QSize stage = movie->StageSize();
      CheckPictureCost(stage.width(), stage.height(), size_t(bytes.size()),
                       QString("its stage of %1 x %2 pixels is larger than a movie of %3 bytes may ask for")
                           .arg(stage.width())
                           .arg(stage.height())
                           .arg(bytes.size()));
      if (ticks == 0 && frame > movie->FrameCount()) {
        err << "showforge-tool: " << input.toStdString() << " has " << movie->FrameCount() << " frames\n";
        return 1;
      }
      int32_t shown = frame - 1;
      const QImage image = ticks > 0 ? swf::RenderTicks(movie, ticks, &shown) : swf::RenderFrame(movie, shown);
      if (!image.save(output, "PNG")) {
        err << "showforge-tool: cannot write " << output.toStdString() << "\n";
        return 1;
      }
      out << input.toStdString() << ": ";
      if (ticks > 0) out << "after " << ticks << (ticks == 1 ? " tick, " : " ticks, ");
      out << "frame " << shown + 1 << " of " << movie->FrameCount() << ", " << image.width() << " x " << image.height()
          << "\n";
      return 0;
    } catch (const std::exception& e) {  // a movie that cannot be read, or a stage too large
      err << "showforge-tool: " << input.toStdString() << ": " << e.what() << "\n";
      return 1;
    }
  }
  if (!codeGiven) code = FormatFromExtension(input);
  QImage bitmap;
  try {
    if (!LoadPictureStream(file.readAll(), bitmap, code)) {
      err << "showforge-tool: " << input.toStdString() << ": no picture format has its extension (give --code)\n";
      return 1;
    }
  } catch (const EInvalidGraphic& e) {
    err << "showforge-tool: " << input.toStdString() << ": " << e.what() << "\n";
    return 1;
  }
  if (bitmap.isNull()) {
    err << "showforge-tool: " << input.toStdString() << ": format " << code << " has no decoder; nothing was decoded\n";
    return 1;
  }
  if (!bitmap.save(output, "PNG")) {
    err << "showforge-tool: cannot write " << output.toStdString() << "\n";
    return 1;
  }
  out << input.toStdString() << ": " << bitmap.width() << " x " << bitmap.height() << ", format " << code << "\n";
  return 0;
}

}  // namespace sf
