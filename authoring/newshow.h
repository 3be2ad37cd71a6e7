// A show from files: every picture, video clip and flash movie given (folders in natural order),
// each looked at as the player will read it, with the settings a person would choose.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

#include "authoring/document.h"
#include "authoring/result.h"

namespace sf {

// Natural order of file names: runs of digits compare as numbers ("img2" before "img10"), the
// rest without regard to case; names that are equal so are ordered by fewer leading zeros first,
// then by their characters, so that the order is total.
bool NaturalLess(const QString& a, const QString& b);

// What a file is to the show, and what it tells of itself.
struct TMediaFacts {
  enum TKind { Unknown, Picture, Movie, Clip, Sound } kind = Unknown;
  QString error;              // why the show cannot play it; empty when it can
  int32_t formatCode = -1;    // a picture's format code
  int width = 0, height = 0;  // a picture's or clip's size, a movie's stage
  int64_t lengthMs = 0;       // a clip's or sound's length
  double frameRate = 0;       // a movie's frames a second
  int frames = 0;             // a movie's frame count
  bool sound = false;         // a clip or sound has a sound track
};

// A picture is read by the decoder its extension names, a flash movie (.swf) by our SWF reader,
// anything else is opened by the media player: a clip has pictures, a sound has none.
TMediaFacts ExamineMedia(const QString& path);
TMediaFacts ExamineMovie(const QString& path);
// Through the media player: a clip's size and length, or a sound (kind Unknown when the player
// cannot open it).
TMediaFacts ExamineClip(const QString& path);

// Told of each file left out of a show, and why.
using TLeftOut = std::function<void(const QString& path, const QString& why)>;

// The files that the paths name, in order: a file as given; a folder's files in natural order,
// with `recursive` its sub-folders' too at their places in that order. Hidden files and folders,
// and the palette file beside a CUT picture, are passed over; a path that names nothing is left
// out.
QStringList CollectFiles(const QStringList& paths, bool recursive, const TLeftOut& leftOut);

struct TNewShowOptions {
  QString name;              // the project's name
  int32_t seconds = 5;       // each slide's display time
  QString effectList;        // the effects' indices, each followed by ";"; empty for all 161
  bool randomEffect = true;  // drawn at random, else taken in turn
  int32_t speed = 0;         // the effects' speed; 0 leaves the player's
  bool captionFromName = false;
  bool recursive = false;
  QString output;  // the show being made: never a slide of itself when it lies among the inputs
};

// A slide of a file, with the settings of a new show: a black screen around it, no text block,
// its name as caption when asked, the options' effects; a clip without the music (it has its
// own sound), a movie for its length or the display time, whichever is longer.
TSlideEntry NewSlideEntry(const QString& path, const TMediaFacts& facts, const TNewShowOptions& options);

// The header of a new show: its name and display time, in order, centred, shrunk to fit; with
// `music` the playlist looping in order with a breath between tracks.
void SetNewShowHeader(TFieldSet& header, const TNewShowOptions& options, bool music);

// A document of every file among `inputs` that the show can play, in order, and of every sound
// among `music` as its playlist (looping, in order). Each file that cannot take its place goes
// to `leftOut` (a show made before, which carries a project at its end, is told as one); the
// output file itself is passed over in silence. When no slide is left the show cannot be made.
TResult NewShowDocument(const QStringList& inputs, const QStringList& music, const TNewShowOptions& options,
                        const TLeftOut& leftOut, TShowDocument& document);

// The file name a slide or track stores: the file's own when a project can hold it, else one
// with "_" for every character it cannot hold, cut to 255 characters with its extension kept.
QString StoredFileName(const QString& path);

// A caption from a file's name: the name without its extension, "_" as a blank, with the
// characters a caption cannot hold left out, cut to a caption's 100 characters.
QString CaptionFromName(const QString& path);

}  // namespace sf
