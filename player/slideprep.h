// Slide preparation: everything a picture slide shows is composed off screen before its
// transition starts (the background, the caption and text, the picture fitted and placed), so
// that the engine then only moves pixels between ready bitmaps. It needs no window: a screen of
// the show prepares its slides with it at its own size, and the studio composes a slide with it
// at any screen size.
//
// What the studio calls:
//   TRandom random(seed);
//   QImage shot = ComposeSlide(media, TSlideStyle::Of(header), records, slide, {size, preview}, random);
#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "container/mediasource.h"
#include "container/pictureinfo.h"
#include "platform/random.h"

namespace sf {

struct TProjectHeader;

// The show area a slide is composed for: a screen, a saver window or a preview.
struct TShowArea {
  QSize size;            // in device pixels
  bool preview = false;  // the preview's layout: fit modes 0 and 2 fit, the desktop is stretched
  qreal scale = 1.0;     // device pixels a unit of the fonts' sizes (the screen's scale factor)
};

// The show-wide options slide preparation follows, from the project's header.
struct TSlideStyle {
  int32_t fitMode = 1;  // 0 original size, 1 fit, 2 fill, 3 stretch; others keep the last picture
  bool randomPosition = true;
  bool wholeScreen = true;  // the transition brings the whole composed screen, not the picture

  static TSlideStyle Of(const TProjectHeader& header);
};

// The records slide preparation picks backgrounds from: the show's slides (its picture slides
// are "one of the slides") and the pool of background pictures, each in project order.
struct TSlideRecords {
  std::vector<const TPictureInfo*> slides, backgrounds;
};

class TSlidePreparer {
 public:
  TSlidePreparer(TMediaSource& media, const TSlideStyle& style) : media_(media), style_(style) {}

  void SetRecords(TSlideRecords records) { records_ = std::move(records); }
  // The desktop as the show found it, for slides that lay it behind them; null for none.
  void SetDesktop(QImage desktop) { desktop_ = std::move(desktop); }
  // A new area: the background keeps what it holds where the sizes overlap (scaled to the new
  // size in the preview's layout) until the next slide is composed for it.
  void SetArea(const TShowArea& area);
  const TShowArea& Area() const { return area_; }

  enum class TOutcome {
    Ready,       // the picture, its place and the background (whole screen: the composite) are ready
    Unreadable,  // the picture does not decode: the slide is passed over
    Missing,     // its external file is not there (the last message says so)
  };
  struct TPrepared {
    TOutcome outcome = TOutcome::Unreadable;
    QStringList messages;  // what to tell the user, in order
  };
  // Prepares a picture slide, drawing its random choices from `random` in the show's order.
  // Whatever the outcome, the background holds the slide's background; a slide that fails keeps
  // the picture of the last one.
  TPrepared Prepare(const TPictureInfo& slide, TRandom& random);
  // The screen of a video slide around its clip: the background with the caption and text over
  // it. Gives what to tell the user.
  QStringList PrepareBackdrop(const TPictureInfo& slide, TRandom& random);

  // The bitmaps, in the device format. The transition reads them; the whole-screen mode puts
  // the screen as it was into the background, where a slide that paints no background finds it.
  QImage& Picture() { return picture_; }
  QImage& Background() { return background_; }
  QImage& Composite() { return composite_; }
  // Where the picture's top-left corner stands on the screen (negative when it is larger).
  QPoint Place() const { return place_; }
  // The screen as it stands once the slide's transition has ended.
  QImage ComposedScreen() const;

 private:
  void PaintBackground(const TPictureInfo& slide, TRandom& random, QStringList& messages);
  void DrawBackgroundPicture(const TPictureInfo* record, const TPictureInfo& slide, TRandom& random, QStringList& messages);
  void DrawCaption(const TPictureInfo& slide, QImage& bitmap) const;
  void DrawTextBlock(const TPictureInfo& slide, QImage& bitmap) const;
  TOutcome LoadAndFitPicture(const TPictureInfo& slide, TRandom& random, QStringList& messages);
  void TransparentDraw();

  TMediaSource& media_;
  TSlideStyle style_;
  TSlideRecords records_;
  TShowArea area_;
  QImage desktop_;
  QImage picture_{0, 0, QImage::Format_RGB32}, background_{0, 0, QImage::Format_RGB32}, composite_{0, 0, QImage::Format_RGB32};
  QPoint place_;
};

// A bitmap at a new size keeping what it held where the sizes overlap, black elsewhere; in the
// preview's layout what it held is scaled to the new size.
QImage ResizedKeeping(const QImage& image, QSize size, bool preview);

// One slide composed on its own, as a screen of that area shows it once its transition has
// ended: over a black screen, without a desktop. Null when the slide's picture cannot be shown;
// `messages` (when given) receives what the show would tell the user.
QImage ComposeSlide(TMediaSource& media, const TSlideStyle& style, const TSlideRecords& records, const TPictureInfo& slide,
                    const TShowArea& area, TRandom& random, QStringList* messages = nullptr);

}  // namespace sf
