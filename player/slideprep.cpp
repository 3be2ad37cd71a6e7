// Slide preparation: everything a picture slide shows is composed off screen before its
// transition starts; the engine then only moves pixels between ready bitmaps.
#include <QCoreApplication>
#include <QPainter>
#include <QRegularExpression>

#include "container/colortables.h"
#include "container/gradient.h"
#include "container/picture.h"
#include "container/projectinfo.h"
#include "imaging/graphic.h"
#include "platform/convert.h"
#include "platform/messagebox.h"
#include "platform/random.h"
#include "platform/scratch.h"
#include "player/runwindow.h"
#include "player/slidemath.h"

namespace sf {
namespace {

QImage Scaled(const QImage& picture, QSize size) {
  if (size.isEmpty()) return QImage(size, QImage::Format_RGB32);
  return picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_RGB32);
}

// A picture as the slide's bitmaps hold it; null when there is none to show.
QImage Decoded(TProjectInfo& project, const TPictureInfo& record, bool& unreadable) {
  QByteArray stream;
  int32_t code = 0;
  unreadable = !project.GetSlideData(record.ResourceIndex, stream, code);
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

bool TfRun::PrepareSlide(int32_t index) {
  const TPictureInfo& slide = *FSlides[size_t(index)];
  PaintBackground(slide);
  if (project_.ScreenTransitionMode != 1) {
    DrawCaption(slide, FBackground);
    DrawTextBlock(slide, FBackground);
  }
  if (!LoadAndFitPicture(slide)) return false;
  if (project_.ScreenTransitionMode == 1) {
    AssignBitmap(FComposite, FBackground);
  } else {
    canvas_.Draw(0, 0, FBackground);  // the new background shows at once, before the picture comes in
    Repaint();
  }
  return true;
}

void TfRun::PaintBackground(const TPictureInfo& slide) {
  TCanvas background(FBackground);
  const QRect all(0, 0, FBackground.width(), FBackground.height());
  switch (PickChoice(slide.BackgroundKinds)) {
    case 0:
      background.FillRect(all, slide.RandomBackgroundColor ? kSolidColors[size_t(Random(13))] : slide.SolidColor);
      break;
    case 1:
      switch (PickChoice(slide.BackgroundPictureSources)) {
        case 0: {
          // The desktop snapshot, held since it was taken rather than read back from its file.
          if (!desktop_.isNull()) {
            if (FPreview) background.StretchDraw(all, desktop_);
            else background.CopyRect(desktop_.rect(), desktop_, desktop_.rect());
          } else {
            background.FillRect(all, kSolidColors[size_t(Random(13))]);
          }
          break;
        }
        case 1: {
          std::vector<const TPictureInfo*> pictures;
          for (const TPictureInfo* s : FSlides)
            if (s->SlideKind == 0) pictures.push_back(s);
          const TPictureInfo* chosen = pictures.empty() ? nullptr : pictures[size_t(Random(int32_t(pictures.size())))];
          DrawBackgroundPicture(chosen, slide.BackgroundPictureLayout, slide.RandomTileCount, slide.TileCount);
          break;
        }
        case 2: {
          std::vector<const TPictureInfo*> listed;
          for (size_t n = 0; n < FBackgrounds.size(); ++n)
            if (ListsBackground(slide.BackgroundPictureList, int32_t(n))) listed.push_back(FBackgrounds[n]);
          const TPictureInfo* chosen = listed.empty() ? nullptr : listed[size_t(Random(int32_t(listed.size())))];
          DrawBackgroundPicture(chosen, slide.BackgroundPictureLayout, slide.RandomTileCount, slide.TileCount);
          break;
        }
        default: break;
      }
      break;
    case 2: {
      const int style = PickChoice(slide.GradientStyles);
      TColor a = slide.GradientColor1, b = slide.GradientColor2;
      if (slide.RandomGradientColors) {
        const auto& pair = kGradientPairs[size_t(Random(13))];
        a = pair[0], b = pair[1];
      }
      PaintGradient(a, b, style, FBackground);
      break;
    }
    default: break;  // the bitmap keeps what it held
  }
}

void TfRun::DrawBackgroundPicture(const TPictureInfo* record, int32_t layout, bool randomTiles, int32_t tileCount) {
  TCanvas background(FBackground);
  const QRect all(0, 0, FBackground.width(), FBackground.height());
  if (record == nullptr) {
    background.FillRect(all, 0);
    return;
  }
  bool unreadable = false;
  const QImage picture = Decoded(project_, *record, unreadable);
  if (unreadable && !project_.MediaEmbedded) {
    ShowMessage(project_.FileNotFoundMessage(record->FileName));
    return;
  }
  if (picture.isNull()) return;  // a background that does not decode: the bitmap keeps what it held
  if (layout == 3) layout = Random(3);
  switch (layout) {
    case 0: background.CopyRect(all, Scaled(picture, all.size()), QRect(QPoint(0, 0), all.size())); break;
    case 1: {
      background.FillRect(all, 0);
      const QSize size = FitRule(picture.size(), all.size());
      background.Draw((all.width() - size.width()) / 2, (all.height() - size.height()) / 2, Scaled(picture, size));
      break;
    }
    case 2: {
      const int32_t tileW = TileWidth(all.width(), picture.width(), randomTiles, tileCount);
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

void TfRun::DrawCaption(const TPictureInfo& slide, QImage& bitmap) {
  if (!slide.ShowCaption) return;
  const QFont font = FontFromSpec(slide.CaptionFont, dpr_);
  const QSize extent = TCanvas::TextExtent(slide.Caption, font);
  const QPoint at = TextPlace(slide.CaptionPosition, QSize(FShowWidth, FShowHeight), extent,
                              QPoint(qRound(slide.CaptionX * dpr_), qRound(slide.CaptionY * dpr_)));
  TCanvas(bitmap).TextOut(at.x(), at.y(), slide.Caption, font, slide.CaptionFont.Color);
}

void TfRun::DrawTextBlock(const TPictureInfo& slide, QImage& bitmap) {
  if (!slide.ShowText || slide.Text.isEmpty()) return;
  // Lines as the platform's string lists count them: a final line break ends the last line and
  // starts no empty one ("a" CR LF "b" CR LF is two lines).
  QStringList lines = slide.Text.split(QRegularExpression("\r\n|\r|\n"));
  if (lines.size() > 1 && lines.back().isEmpty()) lines.removeLast();
  const QFont font = FontFromSpec(slide.TextFont, dpr_);
  const int lineHeight = TCanvas::TextExtent("Afjh", font).height();
  int blockWidth = 0;
  for (const QString& line : lines) blockWidth = std::max(blockWidth, TCanvas::TextExtent(line, font).width());
  const QPoint at = TextPlace(slide.TextPosition, QSize(FShowWidth, FShowHeight),
                              QSize(blockWidth, int(lines.size()) * lineHeight),
                              QPoint(qRound(slide.TextX * dpr_), qRound(slide.TextY * dpr_)));
  TCanvas canvas(bitmap);
  for (int i = 0; i < lines.size(); ++i) canvas.TextOut(at.x(), at.y() + i * lineHeight, lines[i], font, slide.TextFont.Color);
}

bool TfRun::LoadAndFitPicture(const TPictureInfo& slide) {
  bool unreadable = false;
  const QImage picture = Decoded(project_, slide, unreadable);
  if (unreadable && !project_.MediaEmbedded) {
    // An external picture that is not there ends the show. When the password prompt refuses
    // the close, the show goes on and passes over this slide for the rest of the run without
    // showing the message again: the guard stays, and the user is not asked at every turn.
    ShowMessage("File not found : " + project_.ExternalPath(slide.FileName));
    CloseShow();
    if (!quitting_) missing_[size_t(FCurrent)] = true;
    return false;
  }
  if (picture.isNull()) return false;
  const QSize area(FShowWidth, FShowHeight);
  int32_t mode = project_.FitMode;
  if (FPreview && (mode == 0 || mode == 2)) mode = 1;  // a preview is too small for either
  switch (mode) {
    case 0: FPicture = picture; break;
    case 1: FPicture = Scaled(picture, FitRule(picture.size(), area)); break;
    case 2: {
      const QRect crop = FillCrop(picture.size(), area);
      FPicture = Scaled(picture.copy(crop), area);
      break;
    }
    case 3: FPicture = Scaled(picture, area); break;
    default: break;  // FPicture stays as it was
  }
  if (FPicture.isNull() || FPicture.width() <= 0 || FPicture.height() <= 0) return false;
  const int32_t roomX = FShowWidth - FPicture.width(), roomY = FShowHeight - FPicture.height();
  if (project_.RandomPosition) {
    // A picture larger than the area (original size) has no room to move in: it is centred.
    // Both numbers are drawn all the same, so that a seeded run draws the same sequence.
    const int32_t x = Random(roomX), y = Random(roomY);
    FPicX = roomX > 0 ? x : roomX / 2;
    FPicY = roomY > 0 ? y : roomY / 2;
  } else {
    FPicX = roomX / 2;
    FPicY = roomY / 2;
  }
  if (slide.Transparent) TransparentDraw();
  return true;
}

void TfRun::TransparentDraw() {
  // The mask is white where the picture has the colour of its top-left pixel.
  const int w = FPicture.width(), h = FPicture.height();
  const QRgb key = FPicture.pixel(0, 0) & 0xFFFFFF;
  QImage mask(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(FPicture.constScanLine(y));
    auto* out = reinterpret_cast<QRgb*>(mask.scanLine(y));
    for (int x = 0; x < w; ++x) out[x] = (in[x] & 0xFFFFFF) == key ? 0xFFFFFFFFu : 0xFF000000u;
  }
  const QRect all(0, 0, w, h);
  QImage scratch(w, h, QImage::Format_RGB32);
  BitBlt(scratch, all, FBackground, QPoint(FPicX, FPicY), TRasterOp::SRCCOPY);  // the background under the picture
  BitBlt(scratch, all, mask, QPoint(0, 0), TRasterOp::SRCAND);                  // kept where the picture is see-through
  BitBlt(mask, all, mask, QPoint(0, 0), TRasterOp::DSTINVERT);
  BitBlt(FPicture, all, mask, QPoint(0, 0), TRasterOp::SRCAND);                 // the see-through pixels blacked out
  BitBlt(FPicture, all, scratch, QPoint(0, 0), TRasterOp::SRCINVERT);           // and filled with the background
}

}  // namespace sf
