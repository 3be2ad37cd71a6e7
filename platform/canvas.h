// The canvas: drawing onto a bitmap with the system's operations and rectangles.
//
// Rectangles are (left, top, right, bottom) with right and bottom exclusive, built with ltrb().
// Every copy is clipped to the source picture and to the target; an empty or inverted rectangle
// draws nothing. The canvas records the rectangle each drawing touched (the dirty rectangle),
// so that a window repaints only what changed.
#pragma once

#include <QFont>
#include <QImage>
#include <QRect>
#include <QRegion>
#include <cstdint>
#include <vector>

#include "platform/color.h"

namespace sf {

class TCanvas {
 public:
  explicit TCanvas(QImage& bitmap) : bitmap_(bitmap) {}

  // Fills r; no outline.
  void FillRect(const QRect& r, TColor color);
  // An ellipse inscribed in r, outline and inside both in color, as the system draws it with a
  // one-pixel pen of that colour and a brush of that colour.
  void Ellipse(const QRect& r, TColor color);

  // Copies rectangle src of source onto rectangle dst (CopyRect): the same size copies pixel
  // for pixel; a different size stretches (nearest neighbour). Only the part of src inside
  // the source picture is read; a same-size copy leaves the target beside it unchanged.
  void CopyRect(const QRect& dst, const QImage& source, const QRect& src);
  // Many same-size copies at once, each from source onto the same place shifted by (dx, dy):
  // row spans (row y, columns x0 to x1), or for a run of columns x0, x0 + 1, ... the rows
  // top[i] to bottom[i] of each. Clipped as CopyRect; the clip region is not used.
  struct TRowSpan {
    int32_t y, x0, x1;
  };
  void CopyRowSpans(const QImage& source, int dx, int dy, const std::vector<TRowSpan>& spans);
  void CopyColumnRanges(const QImage& source, int dx, int dy, int x0, const std::vector<int32_t>& top,
                        const std::vector<int32_t>& bottom);
  // Whole columns at once: for each move, rows top to bottom of source column `from` onto column
  // `to` of the bitmap, shifted down by dy. Clipped as CopyRect; the clip region is not used.
  // Faster than a one-pixel-wide CopyRect per column, as both bitmaps are walked along their rows.
  struct TColumnMove {
    int32_t from, to;
  };
  void CopyColumns(const QImage& source, const std::vector<TColumnMove>& moves, int top, int bottom, int dy);
  // Columns in runs: `count` columns from column `from` of source onto column `to` of the
  // bitmap, both stepping by `step` (1 or more); rows as CopyColumns.
  struct TColumnRun {
    int32_t from, to, count, step;
  };
  void CopyColumnRuns(const QImage& source, const std::vector<TColumnRun>& runs, int top, int bottom, int dy);
  // The pixels of source marked with `key` in `marks` (one byte a pixel of source, markStride
  // bytes a row), each onto the same place shifted by (dx, dy); clipped as CopyRect, the clip
  // region is not used. For effects that sprinkle hundreds of thousands of single pixels a tick:
  // they mark them in whatever order they come, and the copy walks both bitmaps along their rows.
  void CopyMarked(const QImage& source, int dx, int dy, const uint8_t* marks, qsizetype markStride, uint8_t key);
  // The whole of source with its top-left corner at (x, y) (Draw).
  void Draw(int x, int y, const QImage& source);
  // The whole of source scaled into dst, nearest neighbour (StretchDraw).
  void StretchDraw(const QRect& dst, const QImage& source);

  // Text with a transparent brush: the letters only, top-left corner of the text's cell at
  // (x, y) (TextOut); the size of that cell (TextExtent).
  void TextOut(int x, int y, const QString& text, const QFont& font, TColor color);
  static QSize TextExtent(const QString& text, const QFont& font);

  // The clip region of Draw, CopyRect and StretchDraw (SelectClipRgn); an empty optional
  // region (ClearClip) draws everywhere.
  void SelectClipRgn(const QRegion& region);
  void ClearClip();

  // The union of what was drawn since the last call, and forgets it.
  QRect TakeDirty();
  const QRect& Dirty() const { return dirty_; }

  QImage& Bitmap() { return bitmap_; }

 private:
  // Copies the same-size rectangle src of source to (dx, dy), clipped to the target and the clip.
  void Blit(int dx, int dy, const QImage& source, const QRect& src);
  void BlitClipped(int dx, int dy, const QImage& source, const QRect& src);
  void Touch(const QRect& r) { dirty_ |= r.intersected(bitmap_.rect()); }

  QImage& bitmap_;
  QRect dirty_;
  QRegion clip_;
  bool clipped_ = false;
};

// One row of CopyMarked on 32-bit pixels: dst[i] = src[i] where marks[i] is key, i below n; true
// when any was. The second without vector instructions: what a processor without AVX2 runs.
bool CopyMarkedRow(QRgb* dst, const QRgb* src, const uint8_t* marks, size_t n, uint8_t key);
bool CopyMarkedRowPortable(QRgb* dst, const QRgb* src, const uint8_t* marks, size_t n, uint8_t key);

// The raster operations of the transparent draw, on 32-bit bitmaps: each pixel of the target
// rectangle dst with the pixel of source at the same offset from srcOrigin. Source pixels outside
// the source bitmap count as black; the target's spare byte stays 0xFF.
enum class TRasterOp : uint32_t {
  SRCCOPY = 0x00CC0020,    // source
  SRCAND = 0x008800C6,     // target AND source
  DSTINVERT = 0x00550009,  // NOT target (source not read)
  SRCINVERT = 0x00660046,  // target XOR source
};
void BitBlt(QImage& target, const QRect& dst, const QImage& source, QPoint srcOrigin, TRasterOp op);

}  // namespace sf
