// The movie's header and tags: the signature and its compression, the stage, the frame rate and
// count, and the walk over the tags of the movie and of its sprites.
#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <lzma.h>
#include <zlib.h>

#include "swf/parse.h"
#include "swf/sound.h"

namespace sf::swf {

void Fail(const std::string& why) { throw ESwfError(why); }

void TReader::Skip(size_t n) {
  if (n > Left()) Fail("the movie ends inside a record");
  at_ += n;
  bits_ = 0;
}

uint8_t TReader::U8() {
  bits_ = 0;
  if (Left() < 1) Fail("the movie ends inside a record");
  return p_[at_++];
}

uint16_t TReader::U16() {
  const uint16_t lo = U8();
  return uint16_t(lo | U8() << 8);
}

uint32_t TReader::U32() {
  const uint32_t lo = U16();
  return lo | uint32_t(U16()) << 16;
}

std::string TReader::String() {
  bits_ = 0;
  const void* end = std::memchr(p_ + at_, 0, Left());
  if (!end) Fail("a text runs past its record");
  std::string s(reinterpret_cast<const char*>(p_ + at_), size_t(static_cast<const uint8_t*>(end) - (p_ + at_)));
  at_ += s.size() + 1;
  return s;
}

uint32_t TReader::UB(int n) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) {
    if (bits_ == 0) {
      if (Left() < 1) Fail("the movie ends inside a record");
      byte_ = p_[at_++];
      bits_ = 8;
    }
    --bits_;
    v = v << 1 | ((byte_ >> bits_) & 1);
  }
  return v;
}

int32_t TReader::SB(int n) {
  if (n == 0) return 0;
  const uint32_t v = UB(n);
  return n < 32 && (v >> (n - 1)) ? int32_t(v | ~((uint32_t(1) << n) - 1)) : int32_t(v);
}

QRectF TReader::Rect() {
  Align();
  const int n = int(UB(5));
  const int32_t xmin = SB(n), xmax = SB(n), ymin = SB(n), ymax = SB(n);
  Align();
  return QRectF(QPointF(xmin, ymin), QPointF(xmax, ymax));
}

QTransform TReader::Matrix() {
  Align();
  double sx = 1, sy = 1, r0 = 0, r1 = 0;
  if (UB(1)) {
    const int n = int(UB(5));
    sx = FB(n);
    sy = FB(n);
  }
  if (UB(1)) {
    const int n = int(UB(5));
    r0 = FB(n);
    r1 = FB(n);
  }
  const int n = int(UB(5));
  const double tx = SB(n), ty = SB(n);
  Align();
  // x' = x sx + y r1 + tx, y' = x r0 + y sy + ty
  return QTransform(sx, r0, r1, sy, tx, ty);
}

TColorTransform TReader::ColorTransform(bool alpha) {
  Align();
  TColorTransform c;
  const bool add = UB(1), mult = UB(1);
  const int n = int(UB(4)), channels = alpha ? 4 : 3;
  if (mult)
    for (int i = 0; i < channels; ++i) c.mult[i] = int16_t(SB(n));
  if (add)
    for (int i = 0; i < channels; ++i) c.add[i] = int16_t(SB(n));
  Align();
  return c;
}

QColor TReader::Rgb() {
  const int r = U8(), g = U8(), b = U8();
  return QColor(r, g, b);
}

QColor TReader::Rgba() {
  const int r = U8(), g = U8(), b = U8(), a = U8();
  return QColor(r, g, b, a);
}

bool TColorTransform::Identity() const {
  for (int i = 0; i < 4; ++i)
    if (mult[i] != 256 || add[i] != 0) return false;
  return true;
}

QColor TColorTransform::Apply(const QColor& c) const {
  const int in[4] = {c.red(), c.green(), c.blue(), c.alpha()};
  int out[4];
  for (int i = 0; i < 4; ++i) out[i] = std::clamp(in[i] * mult[i] / 256 + add[i], 0, 255);
  return QColor(out[0], out[1], out[2], out[3]);
}

TColorTransform TColorTransform::After(const TColorTransform& inner) const {
  TColorTransform c;
  for (int i = 0; i < 4; ++i) {
    c.mult[i] = int16_t(std::clamp(inner.mult[i] * mult[i] / 256, -32768, 32767));
    c.add[i] = int16_t(std::clamp(inner.add[i] * mult[i] / 256 + add[i], -32768, 32767));
  }
  return c;
}

const TFrame& TTimeline::Frame(int32_t i) const {
  static const TFrame kEmpty;
  return i >= 0 && size_t(i) < frames.size() ? frames[size_t(i)] : kEmpty;
}

int32_t TTimeline::FrameOfLabel(const QString& label) const {
  for (size_t i = 0; i < frames.size(); ++i)
    if (frames[i].label.compare(label, Qt::CaseInsensitive) == 0) return int32_t(i);
  return -1;
}

QSize TSwfMovie::StageSize() const {
  return QSize(int(std::lround(stage.width() / 20.0)), int(std::lround(stage.height() / 20.0)));
}

const TCharacter* TSwfMovie::Character(uint16_t id, int32_t frame) const {
  const auto it = characters.find(id);
  if (it == characters.end()) return nullptr;
  const TCharacter* found = nullptr;
  for (const auto& [from, c] : it->second)
    if (from <= frame) found = c.get();
  return found;
}

namespace {

// No movie is taken as larger than this once uncompressed.
constexpr uint64_t kMaxMovieBytes = uint64_t(256) << 20;
// The output starts at this size, or at a few times the compressed data, and doubles as the data
// really inflates: never more than twice what it gave.
constexpr size_t kFirstOutput = size_t(64) << 10;

[[noreturn]] void EndsBefore(uint64_t length, size_t produced) {
  Fail("the movie's data ends before the length its header gives (" + std::to_string(length) + " bytes, " +
       std::to_string(produced + 8) + " there)");
}

// The buffer for a movie's bytes: its 8-byte header, then room for the first of its body.
QByteArray Output(const uint8_t* header, size_t expected, size_t compressed) {
  QByteArray out(reinterpret_cast<const char*>(header), 8);
  out.resize(qsizetype(8 + std::min(expected, std::max(kFirstOutput, compressed * 4))));
  return out;
}

// More room, up to the expected length; gives the room there is after `produced` bytes.
size_t Grow(QByteArray& out, size_t produced, size_t expected) {
  const size_t capacity = size_t(out.size()) - 8;
  if (produced == capacity) out.resize(qsizetype(8 + std::min(expected, capacity * 2)));
  return size_t(out.size()) - 8 - produced;
}

QByteArray Inflate(const uint8_t* header, const uint8_t* data, size_t size, uint64_t length) {
  const size_t expected = size_t(length - 8);
  QByteArray out = Output(header, expected, size);
  z_stream z{};
  if (inflateInit(&z) != Z_OK) Fail("the movie cannot be inflated");
  z.next_in = const_cast<Bytef*>(data);
  z.avail_in = uInt(std::min<size_t>(size, UINT32_MAX));
  size_t produced = 0;
  int result = Z_OK;
  while (produced < expected) {
    const size_t room = Grow(out, produced, expected);
    z.next_out = reinterpret_cast<Bytef*>(out.data()) + 8 + produced;
    z.avail_out = uInt(std::min<size_t>(room, UINT32_MAX));
    const uInt before = z.avail_out, had = z.avail_in;
    result = inflate(&z, Z_NO_FLUSH);
    produced += before - z.avail_out;
    if (result == Z_STREAM_END || (z.avail_out > 0 && z.avail_in == 0)) break;  // the data ends
    if ((result != Z_OK && result != Z_BUF_ERROR) || (z.avail_out == before && z.avail_in == had)) break;
  }
  inflateEnd(&z);
  if (produced < expected) {
    if (result == Z_DATA_ERROR || result == Z_NEED_DICT || result == Z_MEM_ERROR) Fail("the movie's zlib data is damaged");
    EndsBefore(length, produced);
  }
  return out;
}

QByteArray Unlzma(const uint8_t* header, const uint8_t* data, size_t size, uint64_t length) {
  // ZWS: the compressed length (4 bytes), the LZMA properties (5 bytes), then the raw stream.
  // liblzma reads it as an .lzma stream whose header is the properties and the unpacked size.
  if (size < 9) Fail("the movie's data ends before its LZMA header is whole");
  const size_t expected = size_t(length - 8);
  uint8_t alone[13];
  std::memcpy(alone, data + 4, 5);
  for (int i = 0; i < 8; ++i) alone[5 + i] = uint8_t((uint64_t(expected) >> (8 * i)) & 0xFF);
  lzma_stream s = LZMA_STREAM_INIT;
  if (lzma_alone_decoder(&s, 64u << 20) != LZMA_OK) Fail("the movie cannot be unpacked");
  QByteArray out = Output(header, expected, size);
  s.next_in = alone;
  s.avail_in = sizeof alone;
  bool streamGiven = false;
  size_t produced = 0;
  lzma_ret result = LZMA_OK;
  while (produced < expected) {
    if (s.avail_in == 0 && !streamGiven) s.next_in = data + 9, s.avail_in = size - 9, streamGiven = true;
    const size_t room = Grow(out, produced, expected);
    s.next_out = reinterpret_cast<uint8_t*>(out.data()) + 8 + produced;
    s.avail_out = room;
    result = lzma_code(&s, streamGiven ? LZMA_FINISH : LZMA_RUN);
    produced += room - s.avail_out;
    if (result != LZMA_OK) break;  // the end of the stream, of its data, or damage
  }
  lzma_end(&s);
  if (produced < expected) {
    // A stream that marks its end before the length is a short one too; damage stops it with
    // data still unread.
    const bool damaged = result == LZMA_DATA_ERROR ? s.avail_in > 0 : result != LZMA_OK && result != LZMA_BUF_ERROR &&
                                                                          result != LZMA_STREAM_END;
    if (damaged) Fail("the movie's LZMA data is damaged");
    EndsBefore(length, produced);
  }
  return out;
}

}  // namespace

QByteArray Uncompressed(const QByteArray& file) {
  const auto* p = reinterpret_cast<const uint8_t*>(file.constData());
  const size_t size = size_t(file.size());
  if (size < 8 || p[1] != 'W' || p[2] != 'S' || (p[0] != 'F' && p[0] != 'C' && p[0] != 'Z'))
    Fail("not a flash movie (no FWS, CWS or ZWS signature)");
  if (p[0] == 'F') return file;
  const uint64_t length = uint64_t(p[4]) | uint64_t(p[5]) << 8 | uint64_t(p[6]) << 16 | uint64_t(p[7]) << 24;
  if (length < 8) Fail("the movie's length is smaller than its header");
  if (length - 8 > kMaxMovieBytes)
    Fail("the movie's header gives a length of " + std::to_string(length) + " bytes, more than a movie may have");
  return p[0] == 'C' ? Inflate(p, p + 8, size - 8, length) : Unlzma(p, p + 8, size - 8, length);
}

namespace {

struct TLoader {
  TSwfMovie& movie;
  QByteArray jpegTables;
  int nesting = 0;
  bool backgroundSet = false;

  // What is being read of a timeline: the frame being gathered, and the stream sound its head
  // announced.
  struct TTimelineRead {
    TTimeline& timeline;
    TFrame current;
    std::shared_ptr<TStreamSound> stream;
  };

  // Reads the tags of a timeline (the movie's, or a sprite's) into it.
  void Tags(TReader& r, TTimeline& timeline, int32_t declaredFrames) {
    TTimelineRead read{timeline, {}, nullptr};
    bool ended = false;
    while (!ended && r.Left() >= 2) {
      const uint16_t head = r.U16();
      const int code = head >> 6;
      size_t length = head & 0x3F;
      if (length == 0x3F) length = r.U32();
      if (length > r.Left()) length = r.Left();  // a last tag cut short: what is there
      TReader tag(r.Here(), length);
      r.Skip(length);
      try {
        ended = Tag(code, tag, read);
      } catch (const ESwfError&) {
        // A damaged tag is passed over; the rest of the movie still plays.
      }
    }
    TFrame& current = read.current;
    if (!current.changes.empty() || !current.actions.empty() || !current.sounds.empty() || !current.label.isEmpty())
      timeline.frames.push_back(std::move(current));
    if (read.stream && !read.stream->blocks.empty()) timeline.stream = read.stream;
    // The declared count, or the frames shown where there are more (or the count is 0); at
    // least one frame.
    timeline.frameCount = std::max({int32_t(declaredFrames), int32_t(timeline.frames.size()), 1});
  }

  // The movie's frame being read: which definition an id names.
  int32_t Frame() const { return int32_t(movie.root.frames.size()); }

  // One tag; true at End.
  bool Tag(int code, TReader& t, TTimelineRead& read) {
    TTimeline& timeline = read.timeline;
    TFrame& current = read.current;
    switch (code) {
      case 0: return true;  // End
      case 1:               // ShowFrame
        timeline.frames.push_back(std::move(current));
        current = TFrame();
        return false;
      case 9:  // SetBackgroundColor: the first one counts
        if (nesting == 0 && !backgroundSet) movie.background = t.Rgb(), backgroundSet = true;
        return false;
      case 43:  // FrameLabel
        current.label = QString::fromUtf8(t.String().c_str());
        return false;
      case 12:  // DoAction
        for (TAction& a : ReadActions(t)) current.actions.push_back(std::move(a));
        return false;
      case 4: case 26: case 70: current.changes.push_back(Place(code, t)); return false;
      case 5:  // RemoveObject: the character id, then the depth
        t.U16();
        [[fallthrough]];
      case 28: {  // RemoveObject2
        TPlacement p;
        p.remove = true;
        p.depth = t.U16();
        current.changes.push_back(p);
        return false;
      }
      case 2: case 22: case 32: case 83: {  // DefineShape 1 to 4
        const uint16_t id = t.U16();
        Define(id, ReadShape(t, code));
        return false;
      }
      case 46: case 84: {  // DefineMorphShape 1 and 2
        const uint16_t id = t.U16();
        Define(id, ReadMorph(t, code));
        return false;
      }
      case 8:  // JPEGTables
        jpegTables = QByteArray(reinterpret_cast<const char*>(t.Here()), qsizetype(t.Left()));
        return false;
      case 6: case 21: case 35: case 90: case 20: case 36: {  // the bitmaps
        const uint16_t id = t.U16();
        TCharacter c;
        c.kind = TCharacter::Bitmap;
        c.bitmap = ReadBitmap(t, code, jpegTables);
        c.opaque = Opaque(c.bitmap);
        Define(id, std::move(c));
        return false;
      }
      case 10: case 48: case 75: {  // DefineFont 1 to 3
        const uint16_t id = t.U16();
        Define(id, ReadFont(t, code, movie.version));
        return false;
      }
      case 13: case 62:  // DefineFontInfo 1 and 2: a font's name, style and codes
        Modify(t.U16(), TCharacter::Font, [&](TCharacter& c) { ReadFontInfo(t, code, movie.version, c.font); });
        return false;
      case 11: case 33: {  // DefineText 1 and 2
        const uint16_t id = t.U16();
        Define(id, ReadText(t, code, movie.version, movie, Frame()));
        return false;
      }
      case 37: {  // DefineEditText
        const uint16_t id = t.U16();
        Define(id, ReadEditText(t, movie.version, movie, Frame()));
        return false;
      }
      case 7: case 34: {  // DefineButton 1 and 2
        const uint16_t id = t.U16();
        Define(id, ReadButton(t, code));
        return false;
      }
      case 23:  // DefineButtonCxform
        Modify(t.U16(), TCharacter::Button, [&](TCharacter& c) { ReadButtonCxform(t, c.button); });
        return false;
      case 17:  // DefineButtonSound
        Modify(t.U16(), TCharacter::Button, [&](TCharacter& c) { ReadButtonSound(t, c.button); });
        return false;
      case 14: {  // DefineSound
        const uint16_t id = t.U16();
        TCharacter c;
        c.kind = TCharacter::Sound;
        c.sound = ReadSound(t);
        Define(id, std::move(c));
        return false;
      }
      case 15: {  // StartSound
        TSoundStart s;
        s.id = t.U16();
        s.info = ReadSoundInfo(t);
        current.sounds.push_back(std::move(s));
        return false;
      }
      case 89: {  // StartSound2: the sound by the class SymbolClass gives it
        TSoundStart s;
        s.className = QString::fromUtf8(t.String().c_str());
        s.info = ReadSoundInfo(t);
        current.sounds.push_back(std::move(s));
        return false;
      }
      case 76: {  // SymbolClass
        const uint16_t n = t.U16();
        for (uint16_t i = 0; i < n; ++i) {
          const uint16_t id = t.U16();
          movie.symbols[QString::fromUtf8(t.String().c_str())] = id;
        }
        return false;
      }
      case 18: case 45: {  // SoundStreamHead 1 and 2: a new stream for the timeline
        read.stream = std::make_shared<TStreamSound>();
        read.stream->format = ReadStreamHead(t);
        return false;
      }
      case 19:  // SoundStreamBlock: the stream's data for the frame
        if (read.stream) AddStreamBlock(*read.stream, t, int32_t(timeline.frames.size()));
        return false;
      case 39: {  // DefineSprite
        const uint16_t id = t.U16();
        const uint16_t frames = t.U16();
        if (nesting >= kMaxNesting) return false;
        TCharacter c;
        c.kind = TCharacter::Sprite;
        ++nesting;
        Tags(t, c.sprite, frames);
        --nesting;
        Define(id, std::move(c));
        return false;
      }
      default: return false;  // everything else is passed over by its length
    }
  }

  // A definition counts from the frame of the movie being read; one for an id defined again in
  // the same frame replaces the earlier.
  void Define(uint16_t id, TCharacter&& c) {
    auto& versions = movie.characters[id];
    const int32_t frame = Frame();
    if (!versions.empty() && versions.back().first == frame) versions.pop_back();
    versions.emplace_back(frame, std::make_shared<const TCharacter>(std::move(c)));
  }

  // A tag that adds to a character defined before it (a font's codes, a button's colours or
  // sounds): the latest definition, of the kind, is replaced by one with the addition.
  template <class TChange>
  void Modify(uint16_t id, TCharacter::TKind kind, TChange&& change) {
    const auto it = movie.characters.find(id);
    if (it == movie.characters.end() || it->second.empty() || it->second.back().second->kind != kind) return;
    auto changed = std::make_shared<TCharacter>(*it->second.back().second);
    change(*changed);
    it->second.back().second = std::move(changed);
  }

  static TPlacement Place(int code, TReader& t) {
    TPlacement p;
    if (code == 4) {  // PlaceObject: a character at a depth, with a matrix and perhaps a colour transform
      p.hasCharacter = true;
      p.characterId = t.U16();
      p.depth = t.U16();
      p.hasMatrix = true;
      p.matrix = t.Matrix();
      if (t.Left() > 0) {
        p.hasColorTransform = true;
        p.colorTransform = t.ColorTransform(false);
      }
      return p;
    }
    const uint8_t flags = t.U8();
    uint8_t flags3 = 0;
    if (code == 70) flags3 = t.U8();
    p.depth = t.U16();
    p.move = flags & 0x01;
    p.hasCharacter = flags & 0x02;
    const bool hasMatrix = flags & 0x04, hasCx = flags & 0x08, hasRatio = flags & 0x10, hasName = flags & 0x20,
               hasClip = flags & 0x40;
    if (code == 70 && ((flags3 & 0x08) || ((flags3 & 0x10) && p.hasCharacter))) t.String();  // a class name
    if (p.hasCharacter) p.characterId = t.U16();
    if (hasMatrix) p.hasMatrix = true, p.matrix = t.Matrix();
    if (hasCx) p.hasColorTransform = true, p.colorTransform = t.ColorTransform(true);
    if (hasRatio) p.hasRatio = true, p.ratio = t.U16();
    if (hasName) t.String();
    if (hasClip) p.hasClipDepth = true, p.clipDepth = t.U16();
    if (code != 70) return p;
    // PlaceObject3's filters, blend mode, caching, visibility and background; damaged ones leave
    // the placement as far as it was read. The clip actions after them are not used.
    try {
      if (flags3 & 0x01) p.filters = std::make_shared<const TFilterList>(ReadFilterList(t));
      if (flags3 & 0x02) p.hasBlendMode = true, p.blendMode = t.U8();
      if (flags3 & 0x04) p.hasCacheAsBitmap = true, p.cacheAsBitmap = t.U8() != 0;
      if (flags3 & 0x20) p.hasVisible = true, p.visible = t.U8() != 0;
      if (flags3 & 0x40) p.hasBackground = true, p.background = t.Rgba();
    } catch (const ESwfError&) {
    }
    return p;
  }
};

}  // namespace

std::shared_ptr<const TSwfMovie> TSwfMovie::Load(const QByteArray& file) {
  const QByteArray bytes = Uncompressed(file);
  auto movie = std::make_shared<TSwfMovie>();
  movie->version = uint8_t(bytes[3]);
  TReader r(reinterpret_cast<const uint8_t*>(bytes.constData()) + 8, size_t(bytes.size()) - 8);
  movie->stage = r.Rect();
  const QSize size = movie->StageSize();
  // A stage larger than 16,384 pixels a side, or with no area, is no movie to show.
  if (size.width() <= 0 || size.height() <= 0 || size.width() > 16384 || size.height() > 16384)
    Fail("the movie's stage is " + std::to_string(size.width()) + " x " + std::to_string(size.height()) + " pixels");
  const uint16_t rate = r.U16();
  movie->frameRate = rate / 256.0;
  const uint16_t frames = r.U16();
  TLoader loader{*movie, {}, 0, false};
  loader.Tags(r, movie->root, frames);
  return movie;
}

std::shared_ptr<const TSwfMovie> TSwfMovie::LoadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) Fail("cannot read " + path.toStdString());
  return Load(file.readAll());
}

}  // namespace sf::swf
