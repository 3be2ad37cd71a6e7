// Fonts and text: DefineFont 1 to 3 with DefineFontInfo 1 and 2, DefineText 1 and 2 and
// DefineEditText. Text is laid out once, when the movie is read, into runs of glyphs: an
// embedded font's glyph outlines, or a device font's outlines from the system's fonts through Qt
// (`_sans`, `_serif` and `_typewriter` are the DejaVu families; a named font the system lacks is
// drawn in sans). Edit fields take their initial text, plain or in the HTML that authors used:
// <p align>, <br>, <font face size color>, <b>, <i>, <u> and the character entities.
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QRawFont>
#include <algorithm>
#include <cmath>
#include <map>

#include "platform/ansi.h"
#include "swf/parse.h"

namespace sf::swf {

int TFont::Glyph(uint16_t code) const {
  const auto it = byCode_.find(code);
  return it == byCode_.end() ? -1 : it->second;
}

void TFont::IndexCodes() {
  byCode_.clear();
  for (size_t i = 0; i < codes.size(); ++i) byCode_.emplace(codes[i], int(i));  // the first glyph of a code counts
}

namespace {

// The most characters of a field laid out, and the largest type (in pixels) it takes.
constexpr int kMaxFieldCharacters = 1 << 16;
constexpr double kMaxTypePixels = 2000;
// The gutter between a field's bounds and its text, in twips.
constexpr double kGutter = 40;

QString Decoded(const std::string& bytes, int version) {
  return version >= 6 ? QString::fromUtf8(bytes.data(), qsizetype(bytes.size())) : AnsiToUnicode(bytes);
}

// A font's name: its length, then its bytes (writers often end it with a zero).
QString FontName(TReader& r, int version) {
  const uint8_t n = r.U8();
  if (n > r.Left()) Fail("a font's name runs past its record");
  std::string name(reinterpret_cast<const char*>(r.Here()), n);
  r.Skip(n);
  while (!name.empty() && name.back() == '\0') name.pop_back();
  return Decoded(name, version);
}

// A glyph at `offset` of a table of `size` bytes, ending where the next begins; a glyph that
// cannot be read is empty.
TSwfShape::TGroup GlyphAt(const uint8_t* table, size_t size, size_t offset, size_t end) {
  end = std::min(end, size);
  if (offset >= end) return {};
  try {
    TReader g(table + offset, end - offset);
    return ReadGlyph(g);
  } catch (const ESwfError&) {
    return {};
  }
}

// --- Device fonts ---

// The system's fonts by name and style, at 1,024 pixels to the em as an embedded font's units.
class TDeviceFonts {
 public:
  static constexpr double kEm = 1024;

  // Null where there is no GUI application to ask for fonts (a tool without one draws no device
  // text).
  const QRawFont* Font(const QString& name, bool bold, bool italic) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return nullptr;
    const QString family = Family(name);
    const QString key = family + QChar(u'\x1F') + QChar(bold ? u'b' : u'-') + QChar(italic ? u'i' : u'-');
    auto it = fonts_.find(key);
    if (it == fonts_.end()) {
      QFont f(family);
      f.setPixelSize(int(kEm));
      f.setBold(bold);
      f.setItalic(italic);
      f.setHintingPreference(QFont::PreferNoHinting);
      QRawFont raw = QRawFont::fromFont(f);
      it = fonts_.emplace(key, raw).first;
    }
    return it->second.isValid() ? &it->second : nullptr;
  }

  // A glyph's outline and advance (in em units) for a character; false when the font has none.
  bool Glyph(const QRawFont& font, QChar ch, quint32* index, double* advance) {
    const QList<quint32> indexes = font.glyphIndexesForString(QString(ch));
    if (indexes.isEmpty() || indexes.front() == 0) return false;
    *index = indexes.front();
    const QList<QPointF> advances = font.advancesForGlyphIndexes(indexes);
    *advance = advances.isEmpty() ? 0 : advances.front().x();
    return true;
  }

  QPainterPath Outline(const QRawFont& font, quint32 index) {
    const auto key = std::make_pair(&font, index);
    auto it = outlines_.find(key);
    if (it == outlines_.end()) it = outlines_.emplace(key, font.pathForGlyph(index)).first;
    return it->second;
  }

 private:
  static QString Family(const QString& name) {
    const QString n = name.trimmed().toLower();
    if (n == "_serif") return "DejaVu Serif";
    if (n == "_typewriter") return "DejaVu Sans Mono";
    if (n.isEmpty() || n == "_sans" || !QFontDatabase::hasFamily(name.trimmed())) return "DejaVu Sans";
    return name.trimmed();
  }

  std::map<QString, QRawFont> fonts_;
  std::map<std::pair<const QRawFont*, quint32>, QPainterPath> outlines_;
};

// --- Runs ---

// Adds glyphs to a text's runs: a new run where the colour changes.
class TRunBuilder {
 public:
  explicit TRunBuilder(TText& text) : text_(text) {}

  TText::TRun& Run(const QColor& colour) {
    if (text_.runs.empty() || text_.runs.back().colour != colour) {
      text_.runs.emplace_back();
      text_.runs.back().colour = colour;
    }
    return text_.runs.back();
  }

  void Embedded(const QColor& colour, const std::shared_ptr<const std::vector<TSwfShape::TGroup>>& glyphs, size_t index,
                const QTransform& place) {
    if (!glyphs || index >= glyphs->size()) return;
    const TSwfShape::TGroup& g = (*glyphs)[index];
    Keep(glyphs);
    TText::TRun& run = Run(colour);
    if (!g.edges.empty()) {
      run.glyphs.push_back({&g, place});
      run.box = run.box.united(place.mapRect(g.fillBounds));
    }
  }

  void Device(const QColor& colour, const QPainterPath& outline, const QTransform& place) {
    if (outline.isEmpty()) return;
    TText::TRun& run = Run(colour);
    const QPainterPath placed = place.map(outline);
    run.outlines.addPath(placed);
    run.box = run.box.united(placed.controlPointRect());
  }

 private:
  void Keep(const std::shared_ptr<const std::vector<TSwfShape::TGroup>>& glyphs) {
    if (std::find(text_.fonts.begin(), text_.fonts.end(), glyphs) == text_.fonts.end()) text_.fonts.push_back(glyphs);
  }
  TText& text_;
};

// The font an id names at the frame being read, or null.
const TFont* FontOf(const TSwfMovie& movie, uint16_t id, int32_t frame) {
  const TCharacter* c = movie.Character(id, frame);
  return c && c->kind == TCharacter::Font ? &c->font : nullptr;
}

}  // namespace

// --- Fonts ---

TCharacter ReadFont(TReader& r, int tag, int version) {
  TCharacter c;
  c.kind = TCharacter::Font;
  TFont& f = c.font;
  auto glyphs = std::make_shared<std::vector<TSwfShape::TGroup>>();
  if (tag == 10) {  // DefineFont: the offsets of the glyphs, the first telling how many there are
    if (r.Left() >= 2) {
      const uint8_t* table = r.Here();
      const size_t size = r.Left();
      const uint16_t first = r.U16();
      const size_t n = std::min<size_t>(first / 2, size / 2);
      std::vector<size_t> offsets{first};
      for (size_t i = 1; i < n; ++i) offsets.push_back(r.U16());
      for (size_t i = 0; i < n; ++i) glyphs->push_back(GlyphAt(table, size, offsets[i], i + 1 < n ? offsets[i + 1] : size));
    }
    f.glyphs = glyphs;
    return c;
  }
  // DefineFont2 and 3: flags, language, name, the glyphs, their codes and the layout.
  const uint8_t flags = r.U8();
  const bool hasLayout = flags & 0x80, wideOffsets = flags & 0x08, wideCodes = flags & 0x04;
  f.italic = flags & 0x02;
  f.bold = flags & 0x01;
  r.U8();  // the language
  f.name = FontName(r, version);
  if (tag == 75) f.emUnits = 20480;
  const uint16_t n = r.U16();
  f.glyphs = glyphs;
  if (n == 0) return c;  // a device font's name and style only
  const uint8_t* table = r.Here();
  const size_t size = r.Left();
  std::vector<size_t> offsets(n);
  for (size_t& o : offsets) o = wideOffsets ? r.U32() : r.U16();
  const size_t codeTable = wideOffsets ? r.U32() : r.U16();
  for (size_t i = 0; i < n; ++i) glyphs->push_back(GlyphAt(table, size, offsets[i], i + 1 < n ? offsets[i + 1] : codeTable));
  if (codeTable > size) return c;  // glyphs without codes: a text may still draw them by index
  TReader rest(table + codeTable, size - codeTable);
  try {
    for (size_t i = 0; i < n; ++i) f.codes.push_back(wideCodes ? rest.U16() : rest.U8());
    f.IndexCodes();
    if (!hasLayout) return c;
    f.ascent = rest.U16();
    f.descent = rest.U16();
    f.leading = rest.S16();
    for (size_t i = 0; i < n; ++i) f.advances.push_back(rest.S16());
    f.hasLayout = true;
    for (size_t i = 0; i < n; ++i) rest.Rect();
    const uint16_t pairs = rest.U16();
    for (uint16_t i = 0; i < pairs; ++i) {
      const uint32_t left = wideCodes ? rest.U16() : rest.U8(), right = wideCodes ? rest.U16() : rest.U8();
      f.kerning[left << 16 | right] = rest.S16();
    }
  } catch (const ESwfError&) {
    // A layout cut short keeps what was read.
  }
  return c;
}

void ReadFontInfo(TReader& r, int tag, int version, TFont& f) {
  f.name = FontName(r, version);
  const uint8_t flags = r.U8();
  f.italic = flags & 0x04;
  f.bold = flags & 0x02;
  const bool wide = flags & 0x01;
  if (tag == 62) r.U8();  // DefineFontInfo2: the language
  f.codes.clear();
  // A code for each glyph; a font without glyphs (drawn with a device font) has as many as there
  // are.
  const size_t n = f.glyphs->empty() ? r.Left() / (wide ? 2 : 1) : f.glyphs->size();
  for (size_t i = 0; i < n && r.Left() >= (wide ? 2u : 1u); ++i) f.codes.push_back(wide ? r.U16() : r.U8());
  f.IndexCodes();
}

// --- DefineText ---

TCharacter ReadText(TReader& r, int tag, int version, const TSwfMovie& movie, int32_t frame) {
  (void)version;
  TCharacter c;
  c.kind = TCharacter::Text;
  TText& t = c.text;
  t.bounds = r.Rect();
  t.matrix = r.Matrix();
  const int glyphBits = r.U8(), advanceBits = r.U8();
  if (glyphBits > 32 || advanceBits > 32) Fail("a text's glyph fields are wider than 32 bits");
  TRunBuilder runs(t);
  TDeviceFonts device;
  const TFont* font = nullptr;
  QColor colour(Qt::black);
  double height = 0, x = 0, y = 0;
  // The records run to a zero byte; records cut short keep the glyphs read.
  try {
    while (r.Left() > 0) {
      const uint8_t flags = r.U8();
      if (flags == 0 || !(flags & 0x80)) break;
      if (flags & 0x08) font = FontOf(movie, r.U16(), frame);
      if (flags & 0x04) colour = tag == 33 ? r.Rgba() : r.Rgb();
      if (flags & 0x01) x = r.S16();
      if (flags & 0x02) y = r.S16();
      if (flags & 0x08) height = r.U16();
      const int count = r.U8();
      for (int i = 0; i < count; ++i) {
        const uint32_t index = r.UB(glyphBits);
        const int32_t advance = r.SB(advanceBits);
        if (font && font->emUnits > 0) {
          const double scale = height / font->emUnits;
          const QTransform place(scale, 0, 0, scale, x, y);
          if (!font->glyphs->empty()) {
            runs.Embedded(colour, font->glyphs, index, place);
          } else if (index < font->codes.size()) {  // a font defined for the system's glyphs
            if (const QRawFont* raw = device.Font(font->name, font->bold, font->italic)) {
              quint32 g = 0;
              double unused = 0;
              const double deviceScale = height / TDeviceFonts::kEm;
              if (device.Glyph(*raw, QChar(font->codes[index]), &g, &unused))
                runs.Device(colour, device.Outline(*raw, g), QTransform(deviceScale, 0, 0, deviceScale, x, y));
            }
          }
        }
        x += advance;
      }
      r.Align();
    }
  } catch (const ESwfError&) {
  }
  return c;
}

// --- DefineEditText ---

namespace {

// How a stretch of a field's text is drawn.
struct TFormat {
  QString face;
  double size = 240;  // twips
  QColor colour = Qt::black;
  bool bold = false, italic = false, underline = false;
};

// One character of a field, with what draws it.
struct TItem {
  QChar ch;
  int format = 0;                // into the formats
  const TFont* font = nullptr;   // embedded
  int glyph = -1;
  const QRawFont* raw = nullptr;  // device
  quint32 deviceGlyph = 0;
  double advance = 0;            // twips
  double ascent = 0, descent = 0;
  bool space = false, lineBreak = false;
};

struct TParagraph {
  int align = 0;  // 0 left, 1 right, 2 centre, 3 justify
  std::vector<TItem> items;
  double ascent = 0, descent = 0;  // of an empty paragraph: its format's
};

// The words of HTML that Flash's fields understand; everything else is passed over, its text kept.
class TFieldBuilder {
 public:
  TFieldBuilder(const TSwfMovie& movie, int32_t frame, bool outlines, const TFont* fieldFont, TDeviceFonts& device,
                const TFormat& base, int align)
      : movie_(movie), frame_(frame), outlines_(outlines), fieldFont_(fieldFont), device_(device), defaultAlign_(align) {
    formats_.push_back(base);
    paragraphs_.emplace_back();
    paragraphs_.back().align = align;
  }

  void Plain(const QString& text) {
    for (qsizetype i = 0; i < text.size() && count_ < kMaxFieldCharacters; ++i) {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;  // \r\n: one break
      if (text[i] == '\r' || text[i] == '\n') NewParagraph(defaultAlign_);
      else Char(text[i]);
    }
  }

  void Html(const QString& html) {
    std::vector<std::pair<QString, int>> open;  // the tags in force, each with the format before it
    for (qsizetype i = 0; i < html.size() && count_ < kMaxFieldCharacters;) {
      const QChar ch = html[i];
      if (ch == '<') {
        const qsizetype end = html.indexOf('>', i);
        if (end < 0) break;  // a tag never closed: the rest is not text
        Tag(html.mid(i + 1, end - i - 1), open);
        i = end + 1;
        continue;
      }
      if (ch == '&') {
        const qsizetype end = html.indexOf(';', i);
        if (end > i && end - i <= 10) {
          const QChar decoded = Entity(html.mid(i + 1, end - i - 1));
          if (!decoded.isNull()) {
            Char(decoded);
            i = end + 1;
            continue;
          }
        }
      }
      if (ch == '\r' && i + 1 < html.size() && html[i + 1] == '\n') {
        ++i;
        continue;
      }
      if (ch == '\r' || ch == '\n') NewParagraph(paragraphs_.back().align);
      else Char(ch);
      ++i;
    }
  }

  std::vector<TParagraph>& Paragraphs() { return paragraphs_; }
  const TFormat& Format(int i) const { return formats_[size_t(i)]; }

  // A single-line field: its paragraphs run on as one line in the first one's alignment, their
  // breaks (newlines, <br>, <p>) dropped as a single-line field drops the newlines pasted into it.
  void OneLine() {
    TParagraph& line = paragraphs_.front();
    std::erase_if(line.items, [](const TItem& item) { return item.lineBreak; });
    for (size_t i = 1; i < paragraphs_.size(); ++i)
      for (const TItem& item : paragraphs_[i].items)
        if (!item.lineBreak) line.items.push_back(item);
    paragraphs_.resize(1);
  }

 private:
  static QChar Entity(const QString& name) {
    if (name == "lt") return '<';
    if (name == "gt") return '>';
    if (name == "amp") return '&';
    if (name == "quot") return '"';
    if (name == "apos") return '\'';
    if (name == "nbsp") return QChar(0xA0);
    if (name.startsWith('#')) {
      bool ok = false;
      const uint code = name.startsWith("#x", Qt::CaseInsensitive) ? name.mid(2).toUInt(&ok, 16) : name.mid(1).toUInt(&ok);
      if (ok && code > 0 && code < 0xFFFF) return QChar(char16_t(code));
    }
    return {};
  }

  // The attributes of a tag: name="value", name='value' or name=value.
  static std::map<QString, QString> Attributes(const QString& body) {
    std::map<QString, QString> attributes;
    qsizetype i = body.indexOf(' ');
    while (i >= 0 && i < body.size()) {
      while (i < body.size() && body[i].isSpace()) ++i;
      const qsizetype eq = body.indexOf('=', i);
      if (eq < 0) break;
      const QString name = body.mid(i, eq - i).trimmed().toLower();
      qsizetype v = eq + 1;
      QString value;
      if (v < body.size() && (body[v] == '"' || body[v] == '\'')) {
        const qsizetype close = body.indexOf(body[v], v + 1);
        value = body.mid(v + 1, (close < 0 ? body.size() : close) - v - 1);
        i = close < 0 ? body.size() : close + 1;
      } else {
        qsizetype e = v;
        while (e < body.size() && !body[e].isSpace()) ++e;
        value = body.mid(v, e - v);
        i = e;
      }
      attributes[name] = value;
    }
    return attributes;
  }

  void Tag(const QString& body, std::vector<std::pair<QString, int>>& open) {
    const QString trimmed = body.trimmed();
    const bool closing = trimmed.startsWith('/');
    QString name = (closing ? trimmed.mid(1) : trimmed).section(' ', 0, 0).toLower();
    if (name.endsWith('/')) name.chop(1);
    if (name == "br") {
      TItem br;
      br.lineBreak = true;
      br.format = current_;
      Metrics(formats_[size_t(current_)], &br.ascent, &br.descent);  // the height of a line it leaves empty
      Items().push_back(br);
      return;
    }
    if (name == "p") {
      if (closing) {
        Close(name, open);
        NewParagraph(defaultAlign_);
        return;
      }
      const auto a = Attributes(trimmed);
      const auto it = a.find("align");
      const QString align = it == a.end() ? QString() : it->second.toLower();
      const int value = align == "right" ? 1 : align == "center" ? 2 : align == "justify" ? 3 : align == "left" ? 0 : defaultAlign_;
      if (!Items().empty()) NewParagraph(value);
      paragraphs_.back().align = value;
      open.emplace_back(name, current_);
      return;
    }
    if (name != "font" && name != "b" && name != "i" && name != "u") return;
    if (closing) {
      Close(name, open);
      return;
    }
    open.emplace_back(name, current_);
    TFormat f = formats_[size_t(current_)];
    if (name == "b") f.bold = true;
    if (name == "i") f.italic = true;
    if (name == "u") f.underline = true;
    if (name == "font") {
      const auto a = Attributes(trimmed);
      if (auto it = a.find("face"); it != a.end() && !it->second.isEmpty()) f.face = it->second.section(',', 0, 0).trimmed();
      if (auto it = a.find("size"); it != a.end()) {
        const QString v = it->second.trimmed();
        bool ok = false;
        const double pixels = v.toDouble(&ok);
        if (ok) {
          const double px = v.startsWith('+') || v.startsWith('-') ? f.size / 20 + pixels : pixels;
          f.size = std::clamp(px, 1.0, kMaxTypePixels) * 20;
        }
      }
      if (auto it = a.find("color"); it != a.end()) {
        QString v = it->second.trimmed();
        if (v.startsWith('#')) v.remove(0, 1);
        bool ok = false;
        const uint rgb = v.toUInt(&ok, 16);
        if (ok && v.size() == 6) f.colour = QColor(int(rgb >> 16) & 255, int(rgb >> 8) & 255, int(rgb & 255), f.colour.alpha());
      }
    }
    formats_.push_back(f);
    current_ = int(formats_.size() - 1);
  }

  // Ends the latest tag of a name and those opened after it.
  void Close(const QString& name, std::vector<std::pair<QString, int>>& open) {
    for (size_t k = open.size(); k-- > 0;) {
      if (open[k].first != name) continue;
      current_ = open[k].second;
      open.resize(k);
      return;
    }
  }

  std::vector<TItem>& Items() { return paragraphs_.back().items; }

  void NewParagraph(int align) {
    TParagraph& last = paragraphs_.back();
    if (last.items.empty()) Metrics(formats_[size_t(current_)], &last.ascent, &last.descent);
    paragraphs_.emplace_back();
    paragraphs_.back().align = align;
    Metrics(formats_[size_t(current_)], &paragraphs_.back().ascent, &paragraphs_.back().descent);
  }

  // The embedded font a format draws with, or null for a device font: the field's own font in
  // the face and style the field gives it, else the embedded font of the face that best matches
  // the style. Looked up once a format.
  const TFont* Embedded(const TFormat& f) {
    if (!outlines_) return nullptr;
    const int index = int(&f - formats_.data());
    if (index >= 0 && size_t(index) < formats_.size()) {
      auto it = embedded_.find(index);
      if (it == embedded_.end()) it = embedded_.emplace(index, Find(f)).first;
      return it->second;
    }
    return Find(f);
  }

  const TFont* Find(const TFormat& f) const {
    if (fieldFont_ && !fieldFont_->glyphs->empty() && f.face == formats_.front().face && f.bold == fieldFont_->bold &&
        f.italic == fieldFont_->italic)
      return fieldFont_;
    const TFont* best = nullptr;
    int bestScore = -1;
    uint16_t bestId = 0;
    for (const auto& [id, versions] : movie_.characters) {
      const TCharacter* c = movie_.Character(id, frame_);
      if (!c || c->kind != TCharacter::Font || c->font.glyphs->empty() ||
          c->font.name.compare(f.face, Qt::CaseInsensitive) != 0)
        continue;
      const int score = (c->font.bold == f.bold) + (c->font.italic == f.italic);
      if (score > bestScore || (score == bestScore && id < bestId)) best = &c->font, bestScore = score, bestId = id;
    }
    // The field's own font stands in when none of the name is embedded with glyphs.
    if (!best && fieldFont_ && !fieldFont_->glyphs->empty() && fieldFont_->name.compare(f.face, Qt::CaseInsensitive) == 0)
      best = fieldFont_;
    return best;
  }

  void Metrics(const TFormat& f, double* ascent, double* descent) {
    if (const TFont* font = Embedded(f)) {
      const double scale = f.size / font->emUnits;
      *ascent = (font->hasLayout ? font->ascent : font->emUnits * 0.8) * scale;
      *descent = (font->hasLayout ? font->descent : font->emUnits * 0.2) * scale;
    } else if (const QRawFont* raw = device_.Font(f.face, f.bold, f.italic)) {
      *ascent = raw->ascent() / TDeviceFonts::kEm * f.size;
      *descent = raw->descent() / TDeviceFonts::kEm * f.size;
    } else {
      *ascent = f.size * 0.8, *descent = f.size * 0.2;
    }
  }

  void Char(QChar ch) {
    ++count_;
    const TFormat& f = formats_[size_t(current_)];
    TItem item;
    item.ch = ch;
    item.format = current_;
    item.space = ch.isSpace();
    Metrics(f, &item.ascent, &item.descent);
    if (const TFont* font = Embedded(f)) {
      item.font = font;
      const double scale = f.size / font->emUnits;
      item.glyph = font->Glyph(ch.unicode());
      if (item.glyph >= 0 && font->hasLayout && size_t(item.glyph) < font->advances.size())
        item.advance = font->advances[size_t(item.glyph)] * scale;
      else if (item.glyph >= 0)  // no layout: the glyph's own width
        item.advance = (*font->glyphs)[size_t(item.glyph)].fillBounds.right() * scale;
      else if (item.space)
        item.advance = f.size / 4;
      // Kerning with the character before, in the same font.
      std::vector<TItem>& items = Items();
      if (!items.empty() && items.back().font == font && !font->kerning.empty()) {
        const auto k = font->kerning.find(uint32_t(items.back().ch.unicode()) << 16 | ch.unicode());
        if (k != font->kerning.end()) items.back().advance += k->second * scale;
      }
    } else if (const QRawFont* raw = device_.Font(f.face, f.bold, f.italic)) {
      item.raw = raw;
      double advance = 0;
      if (device_.Glyph(*raw, ch == QChar(0xA0) ? QChar(' ') : ch, &item.deviceGlyph, &advance))
        item.advance = advance / TDeviceFonts::kEm * f.size;
      else if (item.space)
        item.advance = f.size / 4;
    }
    Items().push_back(item);
  }

  const TSwfMovie& movie_;
  const int32_t frame_;
  const bool outlines_;
  const TFont* fieldFont_;
  TDeviceFonts& device_;
  const int defaultAlign_;
  std::vector<TFormat> formats_;
  std::map<int, const TFont*> embedded_;  // by format
  int current_ = 0;
  std::vector<TParagraph> paragraphs_;
  int count_ = 0;
};

}  // namespace

TCharacter ReadEditText(TReader& r, int version, const TSwfMovie& movie, int32_t frame) {
  TCharacter c;
  c.kind = TCharacter::Text;
  TText& t = c.text;
  t.bounds = r.Rect();
  const uint8_t flags1 = r.U8(), flags2 = r.U8();
  const bool hasText = flags1 & 0x80, multiline = flags1 & 0x20, password = flags1 & 0x10, hasColour = flags1 & 0x04,
             hasMaxLength = flags1 & 0x02, hasFont = flags1 & 0x01;
  // A single-line field never wraps, whatever its word-wrap flag says.
  const bool wordWrap = multiline && (flags1 & 0x40);
  const bool hasFontClass = flags2 & 0x80, autoSize = flags2 & 0x40, hasLayout = flags2 & 0x20, border = flags2 & 0x08,
             html = flags2 & 0x02, useOutlines = flags2 & 0x01;
  const TFont* font = nullptr;
  TFormat base;
  if (hasFont) font = FontOf(movie, r.U16(), frame);
  if (hasFontClass) r.String();
  if (hasFont || hasFontClass) base.size = r.U16();
  if (hasColour) base.colour = r.Rgba();
  if (hasMaxLength) r.U16();
  int align = 0;
  double leftMargin = 0, rightMargin = 0, indent = 0, leading = 0;
  if (hasLayout) {
    align = std::min<int>(r.U8(), 3);
    leftMargin = r.U16();
    rightMargin = r.U16();
    indent = r.S16();
    leading = r.S16();
  }
  r.String();  // the variable's name
  QString text = hasText ? Decoded(r.String(), version) : QString();
  if (font) base.face = font->name, base.bold = font->bold, base.italic = font->italic;
  if (base.face.isEmpty()) base.face = "_sans";
  base.size = std::min(base.size, kMaxTypePixels * 20);
  if (border) t.background = Qt::white, t.border = Qt::black;
  t.clipped = !autoSize;

  TDeviceFonts device;
  TFieldBuilder builder(movie, frame, useOutlines, font, device, base, align);
  if (html) builder.Html(text);
  else builder.Plain(password ? QString(text.size(), '*') : text);
  if (!multiline) builder.OneLine();

  // Lines: a field breaks them at its width when it wraps its words (at the last space, or
  // within a word longer than the line), and always where the text breaks them.
  TRunBuilder runs(t);
  const double left = t.bounds.left() + kGutter + leftMargin, right = t.bounds.right() - kGutter - rightMargin;
  double baseline = t.bounds.top() + kGutter, lastDescent = 0;
  bool firstLine = true;
  for (TParagraph& p : builder.Paragraphs()) {
    const std::vector<TItem>& items = p.items;
    size_t i = 0;
    bool firstOfParagraph = true;
    do {
      const double lineLeft = left + (firstOfParagraph ? indent : 0);
      const double available = right - lineLeft;
      const size_t start = i;
      size_t end = i, next = i;
      double width = 0;
      size_t lastSpace = SIZE_MAX;
      bool forced = false;
      for (; next < items.size(); ++next) {
        const TItem& item = items[next];
        if (item.lineBreak) {
          forced = true;
          break;
        }
        if (wordWrap && !item.space && next > start && width + item.advance > available) break;
        width += item.advance;
        if (item.space) lastSpace = next;
      }
      end = next;
      if (next < items.size() && !forced && lastSpace != SIZE_MAX && lastSpace > start) {
        end = lastSpace;  // at the last space, which the line drops
        next = lastSpace + 1;
      } else if (forced) {
        next = end + 1;
      }
      // The line's extent without its trailing spaces, its height, and where it starts.
      size_t shown = end;
      while (shown > start && items[shown - 1].space) --shown;
      double lineWidth = 0, ascent = 0, descent = 0;
      int spaces = 0;
      for (size_t k = start; k < end; ++k) {
        ascent = std::max(ascent, items[k].ascent), descent = std::max(descent, items[k].descent);
        if (k < shown) lineWidth += items[k].advance, spaces += items[k].space;
      }
      if (end == start && forced) ascent = items[end].ascent, descent = items[end].descent;
      else if (end == start) ascent = p.ascent, descent = p.descent;
      baseline += (firstLine ? 0 : lastDescent + leading) + ascent;
      firstLine = false;
      lastDescent = descent;
      const bool lastOfParagraph = next >= items.size();
      double x = p.align == 1 ? right - lineWidth : p.align == 2 ? (lineLeft + right - lineWidth) / 2 : lineLeft;
      const double stretch = p.align == 3 && !lastOfParagraph && !forced && spaces > 0 ? (available - lineWidth) / spaces : 0;
      double underlineFrom = 0;
      bool underlining = false;
      for (size_t k = start; k < shown; ++k) {
        const TItem& item = items[k];
        const TFormat& f = builder.Format(item.format);
        if (f.underline && !underlining) underlineFrom = x, underlining = true;
        if (item.font && item.glyph >= 0) {
          const double scale = f.size / item.font->emUnits;
          runs.Embedded(f.colour, item.font->glyphs, size_t(item.glyph), QTransform(scale, 0, 0, scale, x, baseline));
        } else if (item.raw && item.deviceGlyph != 0) {
          const double scale = f.size / TDeviceFonts::kEm;
          runs.Device(f.colour, device.Outline(*item.raw, item.deviceGlyph), QTransform(scale, 0, 0, scale, x, baseline));
        }
        x += item.advance + (item.space ? stretch : 0);
        const bool endsUnderline = k + 1 == shown || !builder.Format(items[k + 1].format).underline;
        if (underlining && endsUnderline) {
          const double thickness = std::max(20.0, f.size / 20);
          t.underlines.emplace_back(QRectF(underlineFrom, baseline + f.size / 10, x - underlineFrom, thickness), f.colour);
          underlining = false;
        }
      }
      i = next;
      firstOfParagraph = false;
      // Lines wholly below a field that clips them draw nothing: no more are laid out.
      if (t.clipped && baseline - ascent > t.bounds.bottom()) return c;
    } while (i < items.size());
  }
  return c;
}

}  // namespace sf::swf
