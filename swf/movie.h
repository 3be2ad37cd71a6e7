// A flash movie, read once from a SWF file into an immutable description: the stage, the frame
// rate, the characters by id (shapes, bitmaps, sprites) and the timelines, each frame a list of
// changes to the display list and the actions to run when it is shown. Playing a movie is a
// cursor over this description (timeline.h); drawing a frame is render.h.
//
// What is read: the FWS, CWS (zlib) and ZWS (LZMA) headers; SetBackgroundColor; PlaceObject 1
// to 3, RemoveObject 1 and 2, ShowFrame, FrameLabel; DefineShape 1 to 4; DefineBits with
// JPEGTables, DefineBitsJPEG 2 to 4, DefineBitsLossless 1 and 2; DefineSprite; DoAction as far
// as stop, play, gotoFrame, gotoLabel, nextFrame and prevFrame. Every other tag is passed over by
// its length.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

namespace sf::swf {

// A movie that cannot be read; what() says why.
class ESwfError : public std::runtime_error {
 public:
  explicit ESwfError(const std::string& why) : std::runtime_error(why) {}
};

// A colour transform: c' = clamp(c × mult / 256 + add), per channel (red, green, blue, alpha).
struct TColorTransform {
  int16_t mult[4] = {256, 256, 256, 256};
  int16_t add[4] = {0, 0, 0, 0};

  bool Identity() const;
  QColor Apply(const QColor& c) const;
  // This transform after `inner` (inner applied first).
  TColorTransform After(const TColorTransform& inner) const;
};

// One fill or line style.
struct TFillStyle {
  enum TKind : uint8_t { Solid, Linear, Radial, Focal, Bitmap } kind = Solid;
  QColor color;                        // Solid
  QTransform matrix;                   // gradient space or bitmap pixels to shape twips
  std::vector<std::pair<uint8_t, QColor>> stops;  // ratio 0 to 255 and colour
  uint8_t spread = 0;                  // 0 pad, 1 reflect, 2 repeat
  float focal = 0;                     // Focal: -1 to 1
  uint16_t bitmapId = 0;
  bool repeat = true, smooth = true;   // Bitmap
};

struct TLineStyle {
  double width = 20;  // twips
  QColor color;
  bool hasFill = false;
  TFillStyle fill;    // DefineShape4 lines filled with a style
};

// A shape ready to draw: its fills and strokes in the order they are drawn, in twips. Each set
// of styles a shape brings draws its fills, then its lines.
struct TSwfShape {
  struct TPart {
    bool stroke = false;
    QPainterPath path;     // a fill's closed contours (odd-even rule), or a stroke's lines
    QPainterPath outline;  // a stroke's area at its width (non-zero rule)
    TFillStyle fill;
    TLineStyle line;
  };
  QRectF bounds;
  std::vector<TPart> parts;
};

// A change to a display list, as PlaceObject and RemoveObject tags give them.
struct TPlacement {
  bool remove = false;    // RemoveObject: the object at depth goes
  uint16_t depth = 0;
  bool move = false;      // modifies the object at depth (with hasCharacter: replaces it)
  bool hasCharacter = false;
  uint16_t characterId = 0;
  bool hasMatrix = false;
  QTransform matrix;
  bool hasColorTransform = false;
  TColorTransform colorTransform;
  bool hasClipDepth = false;
  uint16_t clipDepth = 0;  // a mask: the object clips the depths up to this one
};

struct TAction {
  enum TKind : uint8_t { NextFrame, PrevFrame, Play, Stop, GotoFrame, GotoLabel } kind = Stop;
  int32_t frame = 0;  // GotoFrame, 0-based
  QString label;      // GotoLabel
};

struct TFrame {
  std::vector<TPlacement> changes;
  std::vector<TAction> actions;
  QString label;
};

struct TTimeline {
  // The frames that change something; the timeline may be longer (frameCount), its further
  // frames changing nothing.
  std::vector<TFrame> frames;
  int32_t frameCount = 1;

  const TFrame& Frame(int32_t i) const;
  // The 0-based frame with the label, or -1.
  int32_t FrameOfLabel(const QString& label) const;
};

struct TCharacter {
  enum TKind : uint8_t { Shape, Bitmap, Sprite } kind;
  TSwfShape shape;
  QImage bitmap;  // ARGB32 premultiplied
  TTimeline sprite;
};

class TSwfMovie {
 public:
  // Reads a whole movie; throws ESwfError when it cannot. Damaged or unknown parts inside an
  // otherwise readable movie are passed over.
  static std::shared_ptr<const TSwfMovie> Load(const QByteArray& file);
  static std::shared_ptr<const TSwfMovie> LoadFile(const QString& path);

  int version = 0;
  QRectF stage;           // in twips
  double frameRate = 12;  // frames a second
  QColor background = Qt::white;
  TTimeline root;
  // The characters by id: an id may be defined again later in the movie (after the character
  // was freed), so each definition counts from the frame of the movie it comes in.
  std::unordered_map<uint16_t, std::vector<std::pair<int32_t, std::shared_ptr<const TCharacter>>>> characters;

  int32_t FrameCount() const { return root.frameCount; }
  // The stage in whole pixels.
  QSize StageSize() const;
  // The character an id names at a frame of the movie, or null.
  const TCharacter* Character(uint16_t id, int32_t frame = INT32_MAX) const;
};

// The bytes of a movie after its compression is undone (the 8-byte header kept), limited so that
// no file inflates to more than it can justify.
QByteArray Uncompressed(const QByteArray& file);

}  // namespace sf::swf
