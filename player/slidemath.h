// The arithmetic of slide preparation: choice lists, the fit rule, the fill crop, text places and
// tile sizes, apart from any bitmap so that each rule can be checked on its own.
#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>

#include "container/pictureinfo.h"
#include "platform/random.h"

namespace sf {

// One entry of a choice list such as "0;2;" at random (random.Random(count)); text after the
// last ";" is ignored; an empty list, or an entry that is not a number, gives 0 (and draws nothing).
int32_t PickChoice(const QString& list, TRandom& random);
// Whether PickChoice can give `value` for the list.
bool MayPickChoice(const QString& list, int32_t value);

// Shrinks a picture into a box keeping its aspect ratio; a picture that fits keeps its size.
QSize FitRule(QSize picture, QSize box);

// The part of a picture that fill mode scales to the whole area: from the top-left corner, the
// area's aspect. A rectangle that would reach beyond the picture is cut to it.
QRect FillCrop(QSize picture, QSize area);

// Where a caption or text block of the given size stands at a position 0 to 9 (9: at custom).
QPoint TextPlace(int32_t position, QSize area, QSize text, QPoint custom);

// The tile width of a tiled background picture, at least 16; 0 when the picture cannot be tiled
// (no tile count without random tiles), which draws it once, stretched.
// Random tiles draw the divisor from `random`.
int32_t TileWidth(int32_t backgroundWidth, int32_t pictureWidth, bool randomTiles, int32_t tileCount, TRandom& random);

// Whether a slide's background picture list (" 0; 3;") names pool picture n.
bool ListsBackground(const QString& list, int32_t n);

// The size a video of its own size `video` is shown at: in a preview 300 pixels wide, else by
// the size mode (0 its own size, 1 twice it, 2 to 5 a quarter, a half, 1 / 1.4142 and all of the
// screen's width, the height following the video's aspect less one pixel). Any other mode keeps
// `previous`; a video without a size keeps it too.
QSize VideoShownSize(int32_t sizeMode, QSize video, int32_t screenWidth, bool preview, QSize previous);

// The font of a slide's caption or text: negative heights are character heights in pixels,
// positive ones cell heights; scale multiplies both (device pixels a unit on a scaled screen).
QFont FontFromSpec(const TFontSpec& spec, qreal scale = 1.0);

}  // namespace sf
