#include "player/slidemath.h"

#include <algorithm>
#include <vector>

#include <QFontMetrics>
#include <QStringList>
#include <cmath>

#include "platform/convert.h"
#include "platform/random.h"

namespace sf {

namespace {

// The values of a choice list's entries, as PickChoice reads them.
std::vector<int32_t> ChoiceValues(const QString& list) {
  QStringList entries = list.split(';');
  entries.removeLast();  // what follows the last ";" (all of it when there is none)
  std::vector<int32_t> values;
  for (const QString& entry : entries) {
    int32_t value = 0;
    values.push_back(TryStrToInt(entry.trimmed().toStdString(), value) ? value : 0);
  }
  return values;
}

}  // namespace

int32_t PickChoice(const QString& list, TRandom& random) {
  const std::vector<int32_t> values = ChoiceValues(list);
  if (values.empty()) return 0;
  return values[size_t(random.Random(int32_t(values.size())))];
}

bool MayPickChoice(const QString& list, int32_t value) {
  const std::vector<int32_t> values = ChoiceValues(list);
  return values.empty() ? value == 0 : std::find(values.begin(), values.end(), value) != values.end();
}

QSize FitRule(QSize picture, QSize box) {
  const int w = picture.width(), h = picture.height(), W = box.width(), H = box.height();
  int width = w, height = h;
  if (w <= 0 || h <= 0) return picture;
  if (W < w) {
    width = W;
    height = int(RoundHalfEven(double(h) / w * W));
    if (H < height) height = H, width = int(RoundHalfEven(double(w) / h * H));
  } else if (H < h) {
    height = H;
    width = int(RoundHalfEven(double(w) / h * H));
    if (W < width) width = W, height = int(RoundHalfEven(double(h) / w * W));
  }
  return QSize(width, height);
}

QSize VideoShownSize(int32_t sizeMode, QSize video, int32_t screenWidth, bool preview, QSize previous) {
  const int w = video.width(), h = video.height();
  if (w <= 0 || h <= 0) return previous;
  auto following = [w, h](int32_t width) { return QSize(width, RoundHalfEven(double(width) * h / w) - 1); };
  if (preview) return following(300);
  switch (sizeMode) {
    case 0: return video;
    case 1: return QSize(2 * w, 2 * h);
    case 2: return following(screenWidth / 4);
    case 3: return following(screenWidth / 2);
    case 4: return following(RoundHalfEven(screenWidth / 1.4142));
    case 5: return following(screenWidth);
    default: return previous;
  }
}

QRect FillCrop(QSize picture, QSize area) {
  const int pw = picture.width(), ph = picture.height(), W = area.width(), H = area.height();
  if (W <= 0 || H <= 0) return QRect(0, 0, pw, ph);
  int cw, ch;
  if (ph < pw) {
    ch = ph;
    cw = int(RoundHalfEven(double(W) / H * ph));
  } else {
    cw = pw;
    ch = int(RoundHalfEven(double(H) / W * pw));
  }
  // A picture whose aspect lies between square and the area's would need more than it has.
  return QRect(0, 0, std::min(cw, pw), std::min(ch, ph));
}

QPoint TextPlace(int32_t position, QSize area, QSize text, QPoint custom) {
  const int W = area.width(), H = area.height(), tw = text.width(), th = text.height();
  const int centreX = (W - tw) / 2, rightX = W - tw - 20, middleY = (H - th) / 2, bottomY = H - th;
  switch (position) {
    case 0: return {centreX, 0};
    case 1: return {0, 0};
    case 2: return {rightX, 0};
    case 3: return {centreX, bottomY};
    case 4: return {0, bottomY};
    case 5: return {rightX, bottomY};
    case 6: return {centreX, middleY};
    case 7: return {0, middleY};
    case 8: return {rightX, middleY};
    case 9: return custom;
    default: return {0, 0};
  }
}

int32_t TileWidth(int32_t backgroundWidth, int32_t pictureWidth, bool randomTiles, int32_t tileCount, TRandom& random) {
  int32_t width;
  if (randomTiles) {
    width = int32_t(RoundHalfEven(double(backgroundWidth) / (random.Random(tileCount) + 1))) + 1;
  } else {
    if (tileCount == 0) return 0;  // no count to divide by
    width = int32_t(RoundHalfEven(double(pictureWidth) / tileCount)) + 1;
  }
  return std::max(width, 16);
}

bool ListsBackground(const QString& list, int32_t n) { return list.contains(QString(" %1;").arg(n)); }

QFont FontFromSpec(const TFontSpec& spec, qreal scale) {
  QFont font(spec.Name);
  font.setStyleHint(QFont::SansSerif);
  font.setBold(spec.Bold);
  font.setItalic(spec.Italic);
  font.setUnderline(spec.Underline);
  font.setStrikeOut(spec.StrikeOut);
  if (spec.Height < 0) {
    font.setPixelSize(std::max(1, qRound(-spec.Height * scale)));
  } else {
    // A cell height: the letters are that height less the font's leading.
    const int cell = std::max(1, qRound((spec.Height > 0 ? spec.Height : 16) * scale));
    font.setPixelSize(cell);
    const int measured = QFontMetrics(font).height();
    if (measured > cell) font.setPixelSize(std::max(1, cell * cell / measured));
  }
  return font;
}

}  // namespace sf
