// Ragged band wipes: the picture is cut into bands, and every tick each band is copied up to
// the front plus its own random lag of 0 to 49 pixels; the front moves S pixels per tick.
#include <algorithm>

#include "platform/convert.h"
#include "transitions/effects.h"

namespace sf::effects {
namespace {

constexpr int32_t kLag = 50;  // the random lag is Random(50): 0 to 49
int32_t Lag(const TShowPictureVar& v) { return v.Random(kLag); }

void Start(TShowPictureVar& v, int32_t pos) {
  v.TakePicture();
  v.pos = pos;
  v.TakeRatio();
  // What the bands have copied so far: per row a span [left, right), per column [top, bottom).
  v.work.assign(size_t(2 * v.H + 2 * v.W), 0);
  v.pendingTop[0].assign(size_t(v.W), 0);
  v.pendingBottom[0].assign(size_t(v.W), 0);
  v.pendingTop[1].assign(size_t(v.W), 0);
  v.pendingBottom[1].assign(size_t(v.W), 0);
}

// The column parts of a tick are gathered (at most two ranges a column, for the bands that grow
// both ways) and copied together at its end, row by row.
void BeginTick(TShowPictureVar& v) {
  for (int i = 0; i < 2; ++i) {
    std::fill(v.pendingTop[i].begin(), v.pendingTop[i].end(), 0);
    std::fill(v.pendingBottom[i].begin(), v.pendingBottom[i].end(), 0);
  }
}
void EndTick(TShowPictureVar& v) {
  for (int i = 0; i < 2; ++i) v.target->CopyColumnRanges(*v.New, v.X, v.Y, 0, v.pendingTop[i], v.pendingBottom[i]);
}
void PendColumn(TShowPictureVar& v, int32_t x, int32_t t, int32_t b) {
  for (int i = 0; i < 2; ++i) {
    if (v.pendingTop[i][size_t(x)] < v.pendingBottom[i][size_t(x)]) continue;
    v.pendingTop[i][size_t(x)] = t;
    v.pendingBottom[i][size_t(x)] = b;
    return;
  }
  v.Copy(ltrb(x, t, x + 1, b));
}

// Every band copies the new picture onto its own place, so a pixel once copied stays the new
// picture's: a band is copied up to its front on every tick, but only the part it had not
// reached before is copied again. The frames are the same; a tick costs what it reveals.
//
// Spans of one row (or column) always touch the span copied before (they share the band's
// anchor: an edge, or the centre), so the copied part stays one span; a span that does not
// touch it is copied whole and not recorded, which only costs a copy more.
struct TSpans {
  int32_t* lo;
  int32_t* hi;
};
TSpans RowSpans(TShowPictureVar& v) { return {v.work.data(), v.work.data() + v.H}; }
TSpans ColumnSpans(TShowPictureVar& v) { return {v.work.data() + 2 * v.H, v.work.data() + 2 * v.H + v.W}; }

// Copies rows [y0, y1) from l to r (columns when rows is false: columns [y0, y1) from
// l to r), skipping what those rows already hold; rows with the same span share one copy.
void CopyBand(TShowPictureVar& v, bool rows, int32_t y0, int32_t y1, int32_t l, int32_t r) {
  const int32_t lines = rows ? v.H : v.W, extent = rows ? v.W : v.H;
  y0 = std::max(y0, 0);
  y1 = std::min(y1, lines);
  l = std::max(l, 0);
  r = std::min(r, extent);
  if (y0 >= y1 || l >= r) return;
  const TSpans spans = rows ? RowSpans(v) : ColumnSpans(v);
  auto copy = [&](int32_t a0, int32_t a1, int32_t b0, int32_t b1) {
    if (b0 >= b1) return;
    if (rows) v.Copy(ltrb(b0, a0, b1, a1));
    else
      for (int32_t x = a0; x < a1; ++x) PendColumn(v, x, b0, b1);
  };
  for (int32_t y = y0; y < y1;) {
    const int32_t lo = spans.lo[y], hi = spans.hi[y];
    int32_t end = y + 1;
    while (end < y1 && spans.lo[end] == lo && spans.hi[end] == hi) ++end;
    if (lo >= hi) {
      copy(y, end, l, r);
      for (int32_t k = y; k < end; ++k) spans.lo[k] = l, spans.hi[k] = r;
    } else if (r < lo || l > hi) {
      copy(y, end, l, r);
    } else {
      copy(y, end, l, lo);
      copy(y, end, hi, r);
      for (int32_t k = y; k < end; ++k) spans.lo[k] = std::min(lo, l), spans.hi[k] = std::max(hi, r);
    }
    y = end;
  }
}

// The band rectangle (l, t, r, b) of a row band and of a column band.
void RowBand(TShowPictureVar& v, const QRect& band) {
  CopyBand(v, true, RectTop(band), RectBottom(band), RectLeft(band), RectRight(band));
}
void RowBand(TShowPictureVar& v, int32_t l, int32_t t, int32_t r, int32_t b) { CopyBand(v, true, t, b, l, r); }
void ColumnBand(TShowPictureVar& v, int32_t l, int32_t t, int32_t r, int32_t b) { CopyBand(v, false, l, r, t, b); }


// Fronts towards larger coordinates run while pos < far + 50, towards smaller while pos >= -49.
bool Growing(TShowPictureVar& v, int32_t far) { return v.pos < far + kLag; }
bool Shrinking(TShowPictureVar& v) { return v.pos >= -(kLag - 1); }

}  // namespace

// Straight fronts: small members one line per band, large members 5-pixel strips.

void InitBandRightSmall(TShowPictureVar& v, int32_t) { Start(v, 0); }
bool StepBandRightSmall(TShowPictureVar& v, int32_t) {
  if (!Growing(v, v.W)) return true;
  BeginTick(v);
  for (int32_t y = 0; y < v.H; ++y) RowBand(v, 0, y, v.pos + Lag(v), y + 1);
  EndTick(v);
  v.pos += v.S;
  return false;
}

void InitBandLeftSmall(TShowPictureVar& v, int32_t) { Start(v, 0), v.pos = v.W; }
bool StepBandLeftSmall(TShowPictureVar& v, int32_t) {
  if (!Shrinking(v)) return true;
  BeginTick(v);
  for (int32_t y = 0; y < v.H; ++y) RowBand(v, v.pos - Lag(v), y, v.W, y + 1);
  EndTick(v);
  v.pos -= v.S;
  return false;
}

void InitBandDownSmall(TShowPictureVar& v, int32_t) { Start(v, 0); }
bool StepBandDownSmall(TShowPictureVar& v, int32_t) {
  if (!Growing(v, v.H)) return true;
  BeginTick(v);
  for (int32_t x = 0; x < v.W; ++x) ColumnBand(v, x, 0, x + 1, std::min(v.pos + Lag(v), v.H));
  EndTick(v);
  v.pos += v.S;
  return false;
}

void InitBandUpSmall(TShowPictureVar& v, int32_t) { Start(v, 0), v.pos = v.H; }
bool StepBandUpSmall(TShowPictureVar& v, int32_t) {
  if (!Shrinking(v)) return true;
  BeginTick(v);
  for (int32_t x = 0; x < v.W; ++x) ColumnBand(v, x, std::max(v.pos - Lag(v), 0), x + 1, v.H);
  EndTick(v);
  v.pos -= v.S;
  return false;
}

void InitBandRightLarge(TShowPictureVar& v, int32_t) {
  Start(v, 0);
  v.n = (v.H + 5) / 5;
}
bool StepBandRightLarge(TShowPictureVar& v, int32_t) {
  if (!Growing(v, v.W)) return true;
  BeginTick(v);
  for (int32_t k = 0; k < v.n; ++k) {
    const int32_t top = std::min(5 * k, v.H), bottom = std::min(top + 5, v.H);
    RowBand(v, 0, top, v.pos + Lag(v), bottom);
  }
  EndTick(v);
  v.pos += v.S;
  return false;
}

void InitBandLeftLarge(TShowPictureVar& v, int32_t) {
  Start(v, 0);
  v.pos = v.W;
  v.n = (v.H + 5) / 5;
}
bool StepBandLeftLarge(TShowPictureVar& v, int32_t) {
  if (!Shrinking(v)) return true;
  BeginTick(v);
  for (int32_t k = 0; k < v.n; ++k) {
    const int32_t top = std::min(5 * k, v.H), bottom = std::min(top + 5, v.H);
    RowBand(v, v.pos - Lag(v), top, v.W, bottom);
  }
  EndTick(v);
  v.pos -= v.S;
  return false;
}

void InitBandDownLarge(TShowPictureVar& v, int32_t) {
  Start(v, 0);
  v.n = (v.W + 5) / 5;
}
bool StepBandDownLarge(TShowPictureVar& v, int32_t) {
  if (!Growing(v, v.H)) return true;
  BeginTick(v);
  for (int32_t k = 0; k < v.n; ++k) ColumnBand(v, 5 * k, 0, 5 * k + 5, std::min(v.pos + Lag(v), v.H));
  EndTick(v);
  v.pos += v.S;
  return false;
}

void InitBandUpLarge(TShowPictureVar& v, int32_t) {
  Start(v, 0);
  v.pos = v.H;
  v.n = (v.W + 5) / 5;
}
bool StepBandUpLarge(TShowPictureVar& v, int32_t) {
  if (!Shrinking(v)) return true;
  BeginTick(v);
  for (int32_t k = 0; k < v.n; ++k) ColumnBand(v, 5 * k, std::max(v.pos - Lag(v), 0), 5 * k + 5, v.H);
  EndTick(v);
  v.pos -= v.S;
  return false;
}

// Corner rectangles of band size a, keeping the picture's aspect ratio: row bands carry the
// ragged vertical edge, then column bands the ragged horizontal one.

namespace {

void CornerTick(TShowPictureVar& v, int32_t a, bool left, bool top) {
  const int32_t q = left ? v.pos : v.W - v.pos;
  const int32_t e = v.Nearest(q);
  for (int32_t k = 0; k <= e / a; ++k) {
    const int32_t t = top ? std::min(a * k, v.H) : std::max(v.H - a * (k + 1), 0);
    const int32_t b = top ? std::min(a * (k + 1), v.H) : std::max(v.H - a * k, 0);
    const int32_t r = Lag(v);
    if (left) RowBand(v, 0, t, std::min(v.pos + r, v.W), b);
    else RowBand(v, std::max(v.pos - r, 0), t, v.W, b);
  }
  const int32_t j = (left ? v.pos : v.W - v.pos) / a;
  for (int32_t k = 0; k <= j; ++k) {
    const int32_t l = left ? a * k : v.pos + a * k, rr = left ? a * (k + 1) : v.pos + a * (k + 1);
    const int32_t r = Lag(v);
    if (top) ColumnBand(v, l, 0, rr, std::min(e + r, v.H));
    else ColumnBand(v, l, std::max(v.H - e - r, 0), rr, v.H);
  }
}

}  // namespace

void InitBandFromLeftTop(TShowPictureVar& v, int32_t) { Start(v, 0); }
bool StepBandFromLeftTop(TShowPictureVar& v, int32_t a) {
  if (!Growing(v, v.W)) return true;
  BeginTick(v);
  CornerTick(v, a, true, true);
  EndTick(v);
  v.pos += v.S;
  return false;
}

void InitBandFromRightTop(TShowPictureVar& v, int32_t) { Start(v, 0), v.pos = v.W; }
bool StepBandFromRightTop(TShowPictureVar& v, int32_t a) {
  if (!Shrinking(v)) return true;
  BeginTick(v);
  CornerTick(v, a, false, true);
  EndTick(v);
  v.pos -= v.S;
  return false;
}

void InitBandFromLeftBottom(TShowPictureVar& v, int32_t) { Start(v, 0); }
bool StepBandFromLeftBottom(TShowPictureVar& v, int32_t a) {
  if (!Growing(v, v.W)) return true;
  BeginTick(v);
  CornerTick(v, a, true, false);
  EndTick(v);
  v.pos += v.S;
  return false;
}

void InitBandFromRightBottom(TShowPictureVar& v, int32_t) { Start(v, 0), v.pos = v.W; }
bool StepBandFromRightBottom(TShowPictureVar& v, int32_t a) {
  if (!Shrinking(v)) return true;
  BeginTick(v);
  CornerTick(v, a, false, false);
  EndTick(v);
  v.pos -= v.S;
  return false;
}

// Centre rectangles: half-width pos and half-height e about (cx, cy), ragged outwards.

namespace {

// Row bands, then column bands; band(isRow, rectangle) for each, in the order of the draws.
template <typename Band>
void CentreBands(TShowPictureVar& v, int32_t a, Band&& band) {
  const int32_t e = v.Nearest(v.pos);
  for (int32_t y = std::max(v.cy - e, 0); y < std::min(v.cy + e, v.H); y += a) {
    const int32_t r1 = Lag(v), r2 = Lag(v);
    const int32_t t = std::min(y, v.H);
    band(true, ltrb(std::max(v.cx - v.pos - r1, 0), t, std::min(v.cx + v.pos + r2, v.W), std::min(t + a, v.H)));
  }
  for (int32_t x = std::max(v.cx - v.pos, 0); x < std::min(v.cx + v.pos, v.W); x += a) {
    const int32_t r1 = Lag(v), r2 = Lag(v);
    const int32_t l = std::min(x, v.W);
    band(false, ltrb(l, std::max(v.cy - e - r1, 0), std::min(l + a, v.W), std::min(v.cy + e + r2, v.H)));
  }
}

void InitCentre(TShowPictureVar& v, bool growing) {
  Start(v, 0);
  v.cx = v.W / 2 + 1;
  v.cy = v.H / 2 + 1;
  v.pos = growing ? 0 : v.cx;
}

}  // namespace

void InitBandFromCenter(TShowPictureVar& v, int32_t) { InitCentre(v, true); }
bool StepBandFromCenter(TShowPictureVar& v, int32_t a) {
  if (v.pos >= v.cx + kLag) return true;
  BeginTick(v);
  CentreBands(v, a, [&](bool row, const QRect& r) {
    if (row) RowBand(v, r);
    else ColumnBand(v, RectLeft(r), RectTop(r), RectRight(r), RectBottom(r));
  });
  EndTick(v);
  v.pos += v.S;
  return false;
}

void InitBandToCenter(TShowPictureVar& v, int32_t) {
  InitCentre(v, false);
  v.flag = true;  // the first tick: nothing was hidden before it
}

// Each tick draws the picture outside the ragged rectangle of its bands. What lay outside the
// bands of the tick before was drawn then, so only the rows and columns those bands could
// reach (their rectangle grown by the largest lag) are drawn again.
bool StepBandToCenter(TShowPictureVar& v, int32_t a) {
  if (v.pos < -(kLag - 1)) return true;
  const int32_t e = v.Nearest(v.pos);
  struct TBand {
    int32_t l, t, r, b;
  };
  std::vector<TBand> rows, columns;
  CentreBands(v, a, [&](bool row, const QRect& r) {
    (row ? rows : columns).push_back({RectLeft(r), RectTop(r), RectRight(r), RectBottom(r)});
  });
  const QRect bound = v.flag ? v.Picture()
                             : ltrb(v.cx - v.limit - kLag, v.cy - v.cw - kLag, v.cx + v.limit + kLag, v.cy + v.cw + kLag)
                                   .intersected(v.Picture());
  // Rows where every column band is hidden: they make one run of columns.
  int32_t allTop = 0, allBottom = v.H, first = v.W, last = 0;
  for (const TBand& c : columns) {
    allTop = std::max(allTop, c.t), allBottom = std::min(allBottom, c.b);
    first = std::min(first, c.l), last = std::max(last, c.r);
  }
  std::vector<TCanvas::TRowSpan> spans;
  std::vector<std::pair<int32_t, int32_t>> hidden;
  size_t rowBand = 0;
  for (int32_t y = RectTop(bound); y < RectBottom(bound); ++y) {
    hidden.clear();
    while (rowBand < rows.size() && rows[rowBand].b <= y) ++rowBand;
    if (rowBand < rows.size() && rows[rowBand].t <= y) hidden.emplace_back(rows[rowBand].l, rows[rowBand].r);
    if (!columns.empty() && y >= allTop && y < allBottom) {
      hidden.emplace_back(first, last);
    } else {
      for (const TBand& c : columns)
        if (c.t <= y && y < c.b) hidden.emplace_back(c.l, c.r);
    }
    std::sort(hidden.begin(), hidden.end());
    int32_t x = RectLeft(bound);
    for (const auto& [l, r] : hidden) {
      if (l > x) spans.push_back({y, x, std::min(l, RectRight(bound))});
      x = std::max(x, r);
    }
    if (x < RectRight(bound)) spans.push_back({y, x, RectRight(bound)});
  }
  v.target->CopyRowSpans(*v.New, v.X, v.Y, spans);
  v.flag = false;
  v.limit = v.pos;  // the half-sizes of this tick's bands bound the next tick's drawing
  v.cw = e;
  v.pos -= v.S;
  return false;
}

}  // namespace sf::effects
