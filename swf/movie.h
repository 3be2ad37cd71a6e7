// A flash movie, read once from a SWF file into an immutable description: the stage, the frame
// rate, the characters by id (shapes, morph shapes, bitmaps, fonts, texts, buttons, sounds,
// sprites) and the timelines, each frame a list of changes to the display list, the sounds it
// starts and the actions to run when it is shown. Playing a movie is a cursor over this
// description (player.h); drawing a frame is Render.
//
// What is read: the FWS, CWS (zlib) and ZWS (LZMA) headers; SetBackgroundColor (the first one
// counts); PlaceObject 1 to 3 (with PlaceObject3's blend mode, filters, cache flag, visibility and
// background colour), RemoveObject 1 and 2, ShowFrame, FrameLabel; DefineShape 1 to 4,
// DefineMorphShape 1 and 2; DefineBits with JPEGTables, DefineBitsJPEG 2 to 4, DefineBitsLossless
// 1 and 2; DefineFont 1 to 3 with DefineFontInfo 1 and 2 and DefineFontName; DefineText 1 and 2,
// DefineEditText; DefineButton 1 and 2 with DefineButtonCxform and DefineButtonSound;
// DefineSound, StartSound 1 and 2 (with SymbolClass for the latter), SoundStreamHead 1 and 2 and
// SoundStreamBlock; DefineSprite; DoAction and button actions as far as stop, play, gotoFrame,
// gotoLabel, nextFrame and prevFrame. Every other tag is passed over by its length.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QHash>
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

// A filter of PlaceObject3 or of a button record, with its parameters as the movie gives them:
// lengths in pixels of the stage, the angle in radians.
struct TFilter {
  enum TKind : uint8_t { DropShadow, Blur, Glow, Bevel, GradientGlow, Convolution, ColorMatrix, GradientBevel } kind = Blur;
  // The shadow's or glow's colour; a bevel's shadow colour then its highlight; a gradient
  // filter's stops (ratio and colour).
  std::vector<std::pair<uint8_t, QColor>> colours;
  double blurX = 0, blurY = 0, angle = 0, distance = 0, strength = 1;
  bool inner = false, knockout = false, composite = true, onTop = false;
  int passes = 1;
  // Convolution: cols x rows weights row by row; ColorMatrix: 20 weights, four rows of five.
  int cols = 0, rows = 0;
  float divisor = 1, bias = 0;
  std::vector<float> matrix;
  QColor defaultColour;
  bool clamp = true, preserveAlpha = true;
};
using TFilterList = std::vector<TFilter>;

// PlaceObject3's blend modes.
enum TBlendMode : uint8_t {
  kBlendNormal = 1, kBlendLayer, kBlendMultiply, kBlendScreen, kBlendLighten, kBlendDarken, kBlendDifference,
  kBlendAdd, kBlendSubtract, kBlendInvert, kBlendAlpha, kBlendErase, kBlendOverlay, kBlendHardlight
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
  bool hasRatio = false;
  uint16_t ratio = 0;      // a morph shape's place between its start (0) and its end (65535)
  bool hasBlendMode = false;
  uint8_t blendMode = kBlendNormal;
  std::shared_ptr<const TFilterList> filters;  // given when not null
  bool hasCacheAsBitmap = false, cacheAsBitmap = false;
  bool hasVisible = false, visible = true;
  bool hasBackground = false;
  QColor background;  // opaqueBackground: the object's box filled with it
};

struct TAction {
  enum TKind : uint8_t { NextFrame, PrevFrame, Play, Stop, GotoFrame, GotoLabel } kind = Stop;
  int32_t frame = 0;  // GotoFrame, 0-based
  QString label;      // GotoLabel
};

// How a sound is started: SOUNDINFO.
struct TSoundInfo {
  bool stop = false;        // stops the sound instead
  bool noMultiple = false;  // not started while it sounds already
  bool hasIn = false, hasOut = false;
  uint32_t in = 0, out = 0;  // in samples of the sound
  uint16_t loops = 1;
  struct TEnvelopePoint {
    uint32_t pos44;  // in samples at 44,100 a second from the start of what plays
    uint16_t left, right;  // 0 to 32,768
  };
  std::vector<TEnvelopePoint> envelope;
};

// A sound a frame starts (StartSound by id; StartSound2 by the class name SymbolClass gives it).
struct TSoundStart {
  uint16_t id = 0;
  QString className;
  TSoundInfo info;
};

// The sound formats of DefineSound and SoundStreamHead.
enum TSoundFormat : uint8_t {
  kSoundPcmNative = 0, kSoundAdpcm = 1, kSoundMp3 = 2, kSoundPcmLittle = 3, kSoundNelly16 = 4, kSoundNelly8 = 5,
  kSoundNelly = 6, kSoundSpeex = 11
};

// A sound's samples as the movie stores them.
struct TSoundData {
  uint8_t format = kSoundPcmLittle;
  int rate = 44100;  // samples a second: 5,512, 11,025, 22,050 or 44,100
  bool is16 = true, stereo = false;
  uint32_t samples = 0;  // per channel, as the header gives it
  QByteArray data;       // MP3: the frames, without the seek samples before them
};

// A timeline's stream sound: its format, then the data each frame carries, with the sample at
// which each frame's data begins.
struct TStreamSound {
  TSoundData format;  // data empty
  struct TBlock {
    int32_t frame;
    int64_t firstSample;
    QByteArray data;  // MP3: the frames, without the block's sample count and seek samples
  };
  std::vector<TBlock> blocks;
  int64_t samples = 0;  // of all blocks

  // The block of a frame, or -1.
  int BlockOfFrame(int32_t frame) const;
};

struct TFrame {
  std::vector<TPlacement> changes;
  std::vector<TAction> actions;
  std::vector<TSoundStart> sounds;
  QString label;
};

struct TTimeline {
  // The frames that change something; the timeline may be longer (frameCount), its further
  // frames changing nothing.
  std::vector<TFrame> frames;
  int32_t frameCount = 1;
  std::shared_ptr<const TStreamSound> stream;  // a soundtrack that plays with the frames

  const TFrame& Frame(int32_t i) const;
  // The 0-based frame with the label, or -1.
  int32_t FrameOfLabel(const QString& label) const;
};

// An embedded font: its glyphs' outlines in its own units (1,024 to the em; DefineFont3 20,480),
// each glyph a style group of one fill (1) and no lines; the character codes of the glyphs and,
// from DefineFont2 on, the layout: ascent, descent, leading, advances and kerning.
struct TFont {
  QString name;
  bool bold = false, italic = false;
  double emUnits = 1024;
  // Shared by the texts that draw them, so that a font given its codes later (DefineFontInfo),
  // or defined again, leaves them whole.
  std::shared_ptr<const std::vector<TSwfShape::TGroup>> glyphs = std::make_shared<std::vector<TSwfShape::TGroup>>();
  std::vector<uint16_t> codes;
  bool hasLayout = false;
  double ascent = 0, descent = 0, leading = 0;
  std::vector<double> advances;
  std::unordered_map<uint32_t, double> kerning;  // (left code << 16 | right code): adjustment

  // The glyph of a character code, or -1.
  int Glyph(uint16_t code) const;
  void IndexCodes();

 private:
  std::unordered_map<uint16_t, int> byCode_;
};

// Laid-out text, DefineText's or DefineEditText's: runs of glyphs of one colour, each an
// embedded font's glyph placed in the text's twips, or the outlines of a device font's glyphs
// made at load time; the field's background, border and underlines.
struct TText {
  QRectF bounds;
  QTransform matrix;  // DefineText: the text's twips to the character's
  struct TGlyph {
    const TSwfShape::TGroup* glyph;
    QTransform place;  // the glyph's units to the text's twips
  };
  struct TRun {
    QColor colour;
    std::vector<TGlyph> glyphs;  // embedded glyphs
    QPainterPath outlines;       // device glyphs, by the non-zero rule
    QRectF box;                  // of all the run draws, in the text's twips
  };
  std::vector<TRun> runs;
  std::vector<std::shared_ptr<const std::vector<TSwfShape::TGroup>>> fonts;  // the glyphs the runs draw
  std::vector<std::pair<QRectF, QColor>> underlines;
  bool clipped = false;  // an edit field shows only what lies within its bounds
  QColor background, border;  // invalid: none
};

// DefineMorphShape 1 and 2: the styles and edges at the start and at the end of the tween.
struct TMorphShape {
  struct TEdge {
    float a[2][6];  // at the start and the end: ax, ay, cx, cy, bx, by
    uint16_t fill0 = 0, fill1 = 0, line = 0;
    bool curve = false;
  };
  QRectF bounds[2];
  std::vector<std::pair<TFillStyle, TFillStyle>> fills;
  std::vector<std::pair<TLineStyle, TLineStyle>> lines;
  std::vector<TEdge> edges;

  // The shape at a ratio from 0 (the start) to 1 (the end).
  TSwfShape At(double ratio) const;
};

// DefineButton 1 and 2.
struct TButton {
  enum TState : uint8_t { kUp = 1, kOver = 2, kDown = 4, kHit = 8 };
  struct TRecord {
    uint8_t states = 0;
    uint16_t characterId = 0, depth = 0;
    QTransform matrix;
    TColorTransform colorTransform;
    uint8_t blendMode = kBlendNormal;
    std::shared_ptr<const TFilterList> filters;
  };
  // The transitions of the pointer that conditions and sounds name.
  enum TTransition : uint16_t {
    kIdleToOverUp = 1 << 0, kOverUpToIdle = 1 << 1, kOverUpToOverDown = 1 << 2, kOverDownToOverUp = 1 << 3,
    kOverDownToOutDown = 1 << 4, kOutDownToOverDown = 1 << 5, kOutDownToIdle = 1 << 6, kIdleToOverDown = 1 << 7,
    kOverDownToIdle = 1 << 8
  };
  struct TCondAction {
    uint16_t transitions = 0;
    std::vector<TAction> actions;
  };
  std::vector<TRecord> records;
  std::vector<TCondAction> actions;
  bool menu = false;  // tracks as a menu item
  // DefineButtonSound: the sound of OverUpToIdle, IdleToOverUp, OverUpToOverDown and
  // OverDownToOverUp (0: none).
  uint16_t sounds[4] = {0, 0, 0, 0};
  TSoundInfo soundInfo[4];
};

struct TCharacter {
  enum TKind : uint8_t { Shape, Bitmap, Sprite, Font, Text, Morph, Button, Sound } kind = Shape;
  TSwfShape shape;
  QImage bitmap;  // ARGB32 premultiplied
  bool opaque = false;  // every pixel of the bitmap has full alpha
  TTimeline sprite;
  TFont font;
  TText text;
  TMorphShape morph;
  TButton button;
  TSoundData sound;
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
  // SymbolClass: the ids of the characters that classes name (StartSound2 names its sound so).
  std::unordered_map<QString, uint16_t> symbols;

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
