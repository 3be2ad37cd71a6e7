// A flash movie, read once from a SWF file into an immutable description: the stage, the frame
// rate, the characters by id (shapes, bitmaps, sprites) and the timelines, each frame a list of
// changes to the display list and the actions to run when it is shown. Playing a movie is a
// cursor over this description (timeline.h); drawing a frame is render.h.
//
// What is read: the FWS, CWS (zlib) and ZWS (LZMA) headers; SetBackgroundColor (the first one
// counts); PlaceObject 1 to 3, RemoveObject 1 and 2, ShowFrame, FrameLabel; DefineShape 1 to 4;
// DefineBits with JPEGTables, DefineBitsJPEG 2 to 4, DefineBitsLossless 1 and 2; DefineSprite;
// DoAction as far as stop, play, gotoFrame, gotoLabel, nextFrame and prevFrame. Every other tag is
// passed over by its length.
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

// One fill style, or the fill of a line.
struct TFillStyle {
  enum TKind : uint8_t { Solid, Linear, Radial, Focal, Bitmap } kind = Solid;
  QColor color;                        // Solid
  QTransform matrix;                   // gradient space or bitmap pixels to shape twips
  std::vector<std::pair<uint8_t, QColor>> stops;  // ratio 0 to 255 and colour
  uint8_t spread = 0;                  // 0 pad, 1 reflect, 2 repeat
  bool linearRgb = false;              // the stops are mixed in linear light, not in sRGB codes
  std::vector<uint32_t> table;         // gradients: the 256 colours between the stops, premultiplied
  float focal = 0;                     // Focal: -1 to 1
  uint16_t bitmapId = 0;
  bool repeat = true, smooth = true;   // Bitmap
};

struct TLineStyle {
  double width = 20;  // twips
  QColor color;
  bool hasFill = false;
  TFillStyle fill;    // DefineShape4 lines filled with a style
  // DefineShape4: the width does not follow the shape's horizontal or vertical scale.
  bool noHScale = false, noVScale = false;
  bool noClose = false;  // a line that ends where it began keeps its caps
  uint8_t cap = 0;       // 0 round, 1 none, 2 square
  uint8_t join = 0;      // 0 round, 1 bevel, 2 miter
  double miterLimit = 3;
};

// A shape as the movie gives it, in twips: one group for each set of styles the shape brings.
// A group's fills are drawn in one pass over its edges, each edge carrying the fill on its left
// and on its right, so that fills which meet share the pixels along their edge; then its lines,
// one style after another, over the fills.
struct TSwfShape {
  struct TEdge {
    float ax, ay, cx, cy, bx, by;  // from a to b, through the control point c when curved
    uint16_t fill0 = 0, fill1 = 0;  // the fill styles on the left and on the right (1-based; 0 none)
    bool curve = false;
  };
  struct TStroke {
    TLineStyle line;
    QPainterPath path;     // the line's edges, joined where they meet
    QPainterPath outline;  // its area at its width (non-zero rule); empty for a line that does
                           // not scale, whose area is made where it is drawn
  };
  struct TGroup {
    std::vector<TFillStyle> fills;
    std::vector<TEdge> edges;  // the edges with a fill on either side
    QRectF fillBounds;         // of those edges with their control points
    uint16_t onlyFill = 0;     // the one fill every edge has on one side, against none; else 0
    std::vector<TStroke> strokes;
  };
  QRectF bounds;
  bool nonZero = false;  // DefineShape4 may fill by the non-zero rule; else even-odd
  std::vector<TGroup> groups;
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
  bool opaque = false;  // every pixel of the bitmap has full alpha
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

// The bytes of a movie after its compression is undone (the 8-byte header kept): exactly the
// length the header gives. The output grows as the data really inflates, so a header's claim
// allocates nothing by itself; data that ends before the claimed length is refused.
QByteArray Uncompressed(const QByteArray& file);

}  // namespace sf::swf
