// Playing a movie: a cursor over its description. The movie's timeline and each sprite placed on
// it have a display list (objects by depth) and a current frame; a tick moves every timeline that
// plays to its next frame, looping at the end, and runs the frame's actions.
//
// Drawing the current state is the same code in the show and in the tool: Render.
#pragma once

#include <QImage>
#include <map>
#include <memory>

#include "swf/movie.h"

namespace sf::swf {

class TTimelineInstance;

struct TDisplayObject {
  uint16_t characterId = 0;
  const TCharacter* character = nullptr;  // what the id named when the object was placed
  QTransform matrix;
  TColorTransform colorTransform;
  uint16_t clipDepth = 0;
  std::unique_ptr<TTimelineInstance> sprite;  // a sprite's own timeline
};

// Every object of a movie counts against one budget, so that a hostile movie of sprites placing
// sprites cannot make the player claim unbounded memory.
struct TBudget {
  int64_t objects = 0;
  static constexpr int64_t kMaxObjects = 200000;
  int32_t rootFrame = 0;  // the movie's current frame: which definition an id names
};

class TTimelineInstance {
 public:
  TTimelineInstance(const TSwfMovie& movie, const TTimeline& timeline, int nesting, TBudget& budget);
  ~TTimelineInstance();

  int32_t Current() const { return current_; }
  int32_t FrameCount() const { return timeline_.frameCount; }
  bool playing = true;

  // Goes to a frame (0-based, held to the timeline), running its actions.
  void GotoFrame(int32_t frame);
  // One tick: the sprites on the display list move on, then this timeline if it plays (at the
  // end it goes back to the first frame).
  void Advance();
  const std::map<uint16_t, TDisplayObject>& List() const { return list_; }

 private:
  void Enter(int32_t frame);
  void Apply(const TFrame& frame);
  void RunActions(int32_t frame, int depth);
  void Rebuild(int32_t frame);
  void Clear();

  const TSwfMovie& movie_;
  const TTimeline& timeline_;
  const int nesting_;
  TBudget& budget_;
  int32_t current_ = 0;
  std::map<uint16_t, TDisplayObject> list_;
};

// The movie and the state of its play.
class TSwfPlayer {
 public:
  explicit TSwfPlayer(std::shared_ptr<const TSwfMovie> movie);

  const TSwfMovie& Movie() const { return *movie_; }
  int32_t TotalFrames() const { return movie_->FrameCount(); }
  int32_t CurrentFrame() const { return root_->Current(); }
  bool Playing() const { return root_->playing; }
  void Play() { root_->playing = true; }
  void Stop() { root_->playing = false; }
  void GotoFrame(int32_t frame) { root_->GotoFrame(frame); }
  void Advance() { root_->Advance(); }
  const TTimelineInstance& Root() const { return *root_; }

 private:
  std::shared_ptr<const TSwfMovie> movie_;
  TBudget budget_;
  std::unique_ptr<TTimelineInstance> root_;
};

// Draws the player's current frame into `target` (32-bit: RGB32 or premultiplied ARGB; another
// format is converted to the latter) with `toDevice` mapping the stage's twips to its pixels,
// inside `clip`; the background is the caller's.
void Render(QImage& target, const TSwfPlayer& player, const QTransform& toDevice, const QRect& clip);

// The mapping of a stage of `stage` pixels into a viewport of `view` pixels by the control's
// scale mode (0 show all, 1 no border, 2 exact fit, 3 no scale) and align flags (1 left, 2 right,
// 4 top, 8 bottom; 0 centred), from twips.
QTransform StageTransform(const QRectF& stageTwips, QSize view, int scaleMode, int alignMode);

// Renders frame `frame` (0-based) of a movie at its stage size with its background, as the
// player shows it after playing from the first frame.
QImage RenderFrame(std::shared_ptr<const TSwfMovie> movie, int32_t frame);

// What the flash window shows after `ticks` ticks from the start (1: the first frame), at the
// stage's size with its background: every timeline, the movie's and each sprite's, one frame a
// tick, the frame actions run as they come. `frame`, when given, gets the movie's frame then
// (0-based).
QImage RenderTicks(std::shared_ptr<const TSwfMovie> movie, int64_t ticks, int32_t* frame = nullptr);

}  // namespace sf::swf
