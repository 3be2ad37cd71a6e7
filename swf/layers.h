// Objects drawn into layers of their own: the filters of PlaceObject3 applied to a layer, and a
// layer composited onto what lies below it by a blend mode. Layers are 32-bit premultiplied ARGB.
#pragma once

#include <QImage>
#include <QMargins>

#include "swf/movie.h"

namespace sf::swf {

// How far a filter list may spread what it filters, in device pixels, for filters whose lengths
// are scaled by `scale` (device pixels to a pixel of the stage).
QMargins FilterReach(const TFilterList& filters, double scale);

// About how many passes over a value of a pixel the filters take on a layer of `pixels` pixels:
// what a frame may spend on them is bounded.
int64_t FilterWork(const TFilterList& filters, double scale, int64_t pixels);

// Applies the filters in turn to a layer (ARGB32 premultiplied) whose margins leave room for
// their reach; `image` is the object's own picture in the layer, whose edges a convolution sees.
void ApplyFilters(QImage& layer, const TFilterList& filters, double scale, QRect image);

// A layer's colours under a colour transform.
void TransformLayer(QImage& layer, const TColorTransform& cx);

// Composites `n` premultiplied pixels of a layer onto `dst` by a blend mode, each pixel of the
// layer first taken by the mask's coverage when there is a mask.
void BlendRow(uint32_t* dst, const uint32_t* src, int n, uint8_t mode, const uint8_t* mask);

}  // namespace sf::swf
