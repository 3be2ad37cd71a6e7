#include "player/slideprep.h"

#include <QPainter>
#include <QRegularExpression>

#include "container/colortables.h"
#include "container/gradient.h"
#include "container/picture.h"
#include "container/projectinfo.h"
#include "imaging/graphic.h"
#include "platform/canvas.h"
#include "platform/convert.h"
#include "platform/scratch.h"
#include "player/slidemath.h"

namespace sf {
namespace {

QImage Scaled(const QImage& picture, QSize size) {
  if (size.isEmpty()) return QImage(size, QImage::Format_RGB32);
  return picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_RGB32);
}

// A picture as the slide's bitmaps hold it; null when there is none to show.
QImage Decoded(TMediaSource& media, const TPictureInfo& record, bool& unreadable) {
  QByteArray stream;
  int32_t code = 0;
  unreadable = !media.GetSlideData(record.ResourceIndex, stream, code);
  QImage picture;
  try {
    if (!LoadPictureStream(stream, picture, code)) return QImage();
  } catch (const EInvalidGraphic&) {
    return QImage();
  }
  if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0) return QImage();
  return picture.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

TSlideStyle TSlideStyle::Of(const TProjectHeader& header) {
  return {header.FitMode, header.RandomPosition, header.ScreenTransitionMode == 1};
}

QImage ResizedKeeping(const QImage& image, QSize size, bool preview) {
  QImage out = NewLargeBitmap(size.width(), size.height(), QImage::Format_RGB32);
  out.fill(Qt::black);
  if (!image.isNull() && !image.size().isEmpty() && !size.isEmpty()) {
    QPainter p(&out);
    if (preview) p.drawImage(out.rect(), image.scaled(out.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    else p.drawImage(0, 0, image);
  }
  return out;
}

void TSlidePreparer::SetArea(const TShowArea& area) {
  area_ = area;
  if (background_.size() != area.size) background_ = ResizedKeeping(background_, area.size, area.preview);
}

TSlidePreparer::TPrepared TSlidePreparer::Prepare(const TPictureInfo& slide, TRandom& random) {
  TPrepared result;
  PaintBackground(slide, random, result.messages);
  if (!style_.wholeScreen) {
    DrawCaption(slide, background_);
    DrawTextBlock(slide, background_);
  }
  result.outcome = LoadAndFitPicture(slide, random, result.messages);
  if (result.outcome != TOutcome::Ready || !style_.wholeScreen) return result;
  // The whole screen comes in: the picture over the background, the caption and text over both.
  AssignBitmap(composite_, background_);
  TCanvas(composite_).Draw(place_.x(), place_.y(), picture_);
  DrawCaption(slide, composite_);
  DrawTextBlock(slide, composite_);
  return result;
}

QStringList TSlidePreparer::PrepareBackdrop(const TPictureInfo& slide, TRandom& random) {
  QStringList messages;
  PaintBackground(slide, random, messages);
  DrawCaption(slide, background_);
  DrawTextBlock(slide, background_);
  return messages;
}

QImage TSlidePreparer::ComposedScreen() const {
  if (style_.wholeScreen) return composite_.copy();
  QImage screen = background_.copy();
  TCanvas(screen).Draw(place_.x(), place_.y(), picture_);
  return screen;
}

void TSlidePreparer::PaintBackground(const TPictureInfo& slide, TRandom& random, QStringList& messages) {
  TCanvas background(background_);
  const QRect all(0, 0, background_.width(), background_.height());
  switch (PickChoice(slide.BackgroundKinds, random)) {
    case 0:
      background.FillRect(all, slide.RandomBackgroundColor ? kSolidColors[size_t(random.Random(13))] : slide.SolidColor);
      break;
    case 1:
      switch (PickChoice(slide.BackgroundPictureSources, random)) {
        case 0: {
          // The desktop snapshot, held since it was taken rather than read back from its file.
          if (!desktop_.isNull()) {
            if (area_.preview) background.StretchDraw(all, desktop_);
            else background.CopyRect(desktop_.rect(), desktop_, desktop_.rect());
          } else {
            background.FillRect(all, kSolidColors[size_t(random.Random(13))]);
          }
          break;
        }
        case 1: {
          std::vector<const TPictureInfo*> pictures;
          for (const TPictureInfo* s : records_.slides)
            if (s->SlideKind == 0) pictures.push_back(s);
          const TPictureInfo* chosen =
              pictures.empty() ? nullptr : pictures[size_t(random.Random(int32_t(pictures.size())))];
          DrawBackgroundPicture(chosen, slide, random, messages);
          break;
        }
        case 2: {
          std::vector<const TPictureInfo*> listed;
          for (size_t n = 0; n < records_.backgrounds.size(); ++n)
            if (ListsBackground(slide.BackgroundPictureList, int32_t(n))) listed.push_back(records_.backgrounds[n]);
          const TPictureInfo* chosen = listed.empty() ? nullptr : listed[size_t(random.Random(int32_t(listed.size())))];
          DrawBackgroundPicture(chosen, slide, random, messages);
          break;
        }
        default: break;
      }
      break;
    case 2: {
      const int style = PickChoice(slide.GradientStyles, random);
      TColor a = slide.GradientColor1, b = slide.GradientColor2;
      if (slide.RandomGradientColors) {
        const auto& pair = kGradientPairs[size_t(random.Random(13))];
        a = pair[0], b = pair[1];
      }
      PaintGradient(a, b, style, background_);
      break;
    }
    default: break;  // the bitmap keeps what it held
  }
}

void TSlidePreparer::DrawBackgroundPicture(const TPictureInfo* record, const TPictureInfo& slide, TRandom& random,
                                           QStringList& messages) {
  TCanvas background(background_);
  const QRect all(0, 0, background_.width(), background_.height());
  if (record == nullptr) {
    background.FillRect(all, 0);
    return;
  }
  bool unreadable = false;
  const QImage picture = Decoded(media_, *record, unreadable);
  if (unreadable && !media_.EmbedsMedia()) {
    messages << media_.FileNotFoundMessage(record->FileName);
    return;
  }
  if (picture.isNull()) return;  // a background that does not decode: the bitmap keeps what it held
  int32_t layout = slide.BackgroundPictureLayout;
  if (layout == 3) layout = random.Random(3);
  switch (layout) {
    case 0: background.CopyRect(all, Scaled(picture, all.size()), QRect(QPoint(0, 0), all.size())); break;
    case 1: {
      background.FillRect(all, 0);
      const QSize size = FitRule(picture.size(), all.size());
      background.Draw((all.width() - size.width()) / 2, (all.height() - size.height()) / 2, Scaled(picture, size));
      break;
    }
    case 2: {
      const int32_t tileW = TileWidth(all.width(), picture.width(), slide.RandomTileCount, slide.TileCount, random);
      const int32_t tileH = tileW > 0 ? RoundHalfEven(double(picture.height()) * tileW / picture.width()) : 0;
      if (tileW <= 0 || tileH <= 0) {  // cannot be tiled: the picture once, over the whole background
        background.Draw(0, 0, Scaled(picture, all.size()));
        break;
      }
      const QImage tile = Scaled(picture, QSize(tileW, tileH));
      for (int32_t column = 0; column <= all.width() / tileW; ++column)
        for (int32_t row = 0; row <= all.height() / tileH; ++row) background.Draw(column * tileW, row * tileH, tile);
      break;
    }
    default: break;
  }
}

void TSlidePreparer::DrawCaption(const TPictureInfo& slide, QImage& bitmap) const {
  if (!slide.ShowCaption) return;
  const qreal scale = area_.scale;
  const QFont font = FontFromSpec(slide.CaptionFont, scale);
  const QSize extent = TCanvas::TextExtent(slide.Caption, font);
  const QPoint at = TextPlace(slide.CaptionPosition, area_.size, extent,
                              QPoint(qRound(slide.CaptionX * scale), qRound(slide.CaptionY * scale)));
  TCanvas(bitmap).TextOut(at.x(), at.y(), slide.Caption, font, slide.CaptionFont.Color);
}

void TSlidePreparer::DrawTextBlock(const TPictureInfo& slide, QImage& bitmap) const {
  if (!slide.ShowText || slide.Text.isEmpty()) return;
  // Lines as the platform's string lists count them: a final line break ends the last line and
  // starts no empty one ("a" CR LF "b" CR LF is two lines).
  QStringList lines = slide.Text.split(QRegularExpression("\r\n|\r|\n"));
  if (lines.size() > 1 && lines.back().isEmpty()) lines.removeLast();
  const qreal scale = area_.scale;
  const QFont font = FontFromSpec(slide.TextFont, scale);
  const int lineHeight = TCanvas::TextExtent("Afjh", font).height();
  int blockWidth = 0;
  for (const QString& line : lines) blockWidth = std::max(blockWidth, TCanvas::TextExtent(line, font).width());
  const QPoint at = TextPlace(slide.TextPosition, area_.size, QSize(blockWidth, int(lines.size()) * lineHeight),
                              QPoint(qRound(slide.TextX * scale), qRound(slide.TextY * scale)));
  TCanvas canvas(bitmap);
  for (int i = 0; i < lines.size(); ++i) canvas.TextOut(at.x(), at.y() + i * lineHeight, lines[i], font, slide.TextFont.Color);
}

TSlidePreparer::TOutcome TSlidePreparer::LoadAndFitPicture(const TPictureInfo& slide, TRandom& random, QStringList& messages) {
  bool unreadable = false;
  const QImage picture = Decoded(media_, slide, unreadable);
  if (unreadable && !media_.EmbedsMedia()) {
    messages << "File not found : " + media_.ExternalPath(slide.FileName);
    return TOutcome::Missing;
  }
  if (picture.isNull()) return TOutcome::Unreadable;
  const QSize area = area_.size;
  int32_t mode = style_.fitMode;
  if (area_.preview && (mode == 0 || mode == 2)) mode = 1;  // a preview is too small for either
  switch (mode) {
    case 0: picture_ = picture; break;
    case 1: picture_ = Scaled(picture, FitRule(picture.size(), area)); break;
    case 2: picture_ = Scaled(picture.copy(FillCrop(picture.size(), area)), area); break;
    case 3: picture_ = Scaled(picture, area); break;
    default: break;  // the picture stays as it was
  }
  if (picture_.isNull() || picture_.width() <= 0 || picture_.height() <= 0) return TOutcome::Unreadable;
  const int32_t roomX = area.width() - picture_.width(), roomY = area.height() - picture_.height();
  if (style_.randomPosition) {
    // A picture larger than the area (original size) has no room to move in: it is centred.
    // Both numbers are drawn all the same, so that a seeded run draws the same sequence.
    const int32_t x = random.Random(roomX), y = random.Random(roomY);
    place_ = QPoint(roomX > 0 ? x : roomX / 2, roomY > 0 ? y : roomY / 2);
  } else {
    place_ = QPoint(roomX / 2, roomY / 2);
  }
  if (slide.Transparent) TransparentDraw();
  return TOutcome::Ready;
}

void TSlidePreparer::TransparentDraw() {
  // The mask is white where the picture has the colour of its top-left pixel.
  const int w = picture_.width(), h = picture_.height();
  const QRgb key = picture_.pixel(0, 0) & 0xFFFFFF;
  QImage mask(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(picture_.constScanLine(y));
    auto* out = reinterpret_cast<QRgb*>(mask.scanLine(y));
    for (int x = 0; x < w; ++x) out[x] = (in[x] & 0xFFFFFF) == key ? 0xFFFFFFFFu : 0xFF000000u;
  }
  const QRect all(0, 0, w, h);
  QImage scratch(w, h, QImage::Format_RGB32);
  BitBlt(scratch, all, background_, place_, TRasterOp::SRCCOPY);  // the background under the picture
  BitBlt(scratch, all, mask, QPoint(0, 0), TRasterOp::SRCAND);     // kept where the picture is see-through
  BitBlt(mask, all, mask, QPoint(0, 0), TRasterOp::DSTINVERT);
  BitBlt(picture_, all, mask, QPoint(0, 0), TRasterOp::SRCAND);     // the see-through pixels blacked out
  BitBlt(picture_, all, scratch, QPoint(0, 0), TRasterOp::SRCINVERT);  // and filled with the background
}

QImage ComposeSlide(TMediaSource& media, const TSlideStyle& style, const TSlideRecords& records, const TPictureInfo& slide,
                    const TShowArea& area, TRandom& random, QStringList* messages) {
  TSlidePreparer preparer(media, style);
  preparer.SetRecords(records);
  preparer.SetArea(area);
  const TSlidePreparer::TPrepared prepared = preparer.Prepare(slide, random);
  if (messages != nullptr) *messages << prepared.messages;
  if (prepared.outcome != TSlidePreparer::TOutcome::Ready) return QImage();
  return preparer.ComposedScreen();
}

}  // namespace sf
