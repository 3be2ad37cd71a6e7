// Playing a movie: a cursor over its description. The movie's timeline and each sprite placed on
// it have a display list (objects by depth) and a current frame; a tick moves every timeline that
// plays to its next frame, looping at the end, and runs the frame's actions.
//
// Drawing the current state is the same code in the show and in the tool: Render.
#pragma once

#include <QImage>
#include <chrono>
#include <map>
#include <memory>

#include "swf/movie.h"

namespace sf::swf {

class TSoundOutput;
class TTimelineInstance;
struct TButtonInstance;

struct TDisplayObject {
  uint16_t characterId = 0;
  const TCharacter* character = nullptr;  // what the id named when the object was placed
  QTransform matrix;
  TColorTransform colorTransform;
  uint16_t clipDepth = 0;
  uint16_t ratio = 0;
  uint8_t blendMode = kBlendNormal;
  std::shared_ptr<const TFilterList> filters;
  bool cacheAsBitmap = false, visible = true;
  QColor background;  // invalid: none
  std::unique_ptr<TTimelineInstance> sprite;  // a sprite's own timeline
  std::shared_ptr<const TSwfShape> morph;     // a morph shape at its ratio
  std::unique_ptr<TButtonInstance> button;    // a button's state and the objects it shows

  // Whether the object is drawn into a layer of its own and composited: a cached bitmap is one
  // too.
  bool Layered() const { return cacheAsBitmap || blendMode > kBlendNormal || (filters && !filters->empty()); }
};

// What every timeline of a playing movie shares: one budget for all its objects, so that a
// hostile movie of sprites placing sprites cannot make the player claim unbounded memory; the
// movie's current frame; where its sounds go.
struct TBudget {
  int64_t objects = 0;
  static constexpr int64_t kMaxObjects = 200000;
  int32_t rootFrame = 0;  // the movie's current frame: which definition an id names
  TSoundOutput* sound = nullptr;
};

// A button on a display list: its state (TButton::kUp, kOver or kDown) and the objects of it,
// which count against the movie's budget while they stand.
struct TButtonInstance {
  TBudget* budget = nullptr;
  int nesting = 0;
  uint8_t state = 0;
  std::map<uint16_t, TDisplayObject> list;
  ~TButtonInstance() {
    if (budget) budget->objects -= int64_t(list.size());
  }
};

class TTimelineInstance {
 public:
  TTimelineInstance(const TSwfMovie& movie, const TTimeline& timeline, int nesting, TBudget& budget);
  ~TTimelineInstance();

  int32_t Current() const { return current_; }
  int32_t FrameCount() const { return timeline_.frameCount; }
  bool Playing() const { return playing_; }
  // Stopping a timeline stops its stream sound.
  void SetPlaying(bool playing);

  // Goes to a frame (0-based, held to the timeline), running its actions.
  void GotoFrame(int32_t frame);
  // One tick: the sprites on the display list move on, then this timeline if it plays (at the
  // end it goes back to the first frame).
  void Advance();
  // Actions run on this timeline from elsewhere (a button's).
  void Run(const std::vector<TAction>& actions);
  const std::map<uint16_t, TDisplayObject>& List() const { return list_; }
  std::map<uint16_t, TDisplayObject>& List() { return list_; }
  // The streams of this timeline and of the sprites on it stop.
  void Silence();
  // The sounds of the current frame start, and the stream from its block.
  void SoundNow() { Shown(current_); }
  // The stream sound this timeline plays now, or null.
  const TStreamSound* Streaming() const { return streaming_ ? timeline_.stream.get() : nullptr; }
  // Shows a button in a state: its objects of that state placed anew.
  void ShowButton(TDisplayObject& o, uint8_t state);
  // The object an id names now, made ready to stand on a display list `nesting` deep.
  TDisplayObject Make(uint16_t characterId, int nesting);

 private:
  void Enter(int32_t frame);
  void Apply(const TFrame& frame);
  void RunActions(int32_t frame, int depth);
  bool Jump(const TAction& a);
  void Rebuild(int32_t frame);
  void Clear();
  // A frame is shown: its sounds start, and the stream from its block if the stream is not
  // sounding.
  void Shown(int32_t frame);
  void StopStream();
  void RunList(const std::vector<TAction>& actions, int depth);
  static void Advance(std::map<uint16_t, TDisplayObject>& list);

  const TSwfMovie& movie_;
  const TTimeline& timeline_;
  const int nesting_;
  TBudget& budget_;
  int32_t current_ = 0;
  bool playing_ = true;
  bool streaming_ = false;
  std::map<uint16_t, TDisplayObject> list_;
};

// The movie and the state of its play.
class TSwfPlayer {
 public:
  // `sound`, when given, gets the movie's sounds; it outlives the player.
  explicit TSwfPlayer(std::shared_ptr<const TSwfMovie> movie, TSoundOutput* sound = nullptr);

  const TSwfMovie& Movie() const { return *movie_; }
  int32_t TotalFrames() const { return movie_->FrameCount(); }
  int32_t CurrentFrame() const { return root_->Current(); }
  bool Playing() const { return root_->Playing(); }
  void Play() { root_->SetPlaying(true); }
  void Stop() { root_->SetPlaying(false); }
  void GotoFrame(int32_t frame) { root_->GotoFrame(frame); }
  // Every timeline one frame on.
  void Advance() { root_->Advance(); }
  // One tick of the clock at the movie's frame rate: one frame on; while the movie's stream
  // sounds, as many frames as keep the movie with it (none when the frames are ahead of the
  // sound, a few at once when they are behind). Gives the frames advanced.
  int Tick();
  const TTimelineInstance& Root() const { return *root_; }
  // Sends the sounds from now on to `sound` (null: none), which outlives the player: every stream
  // stops on the output before, and the current frame's sounds and stream start on the new one.
  void SetSoundOutput(TSoundOutput* sound);

  // The pointer over the stage, in twips, its button pressed or not: the buttons under it take
  // their states, and the transitions run their actions and sounds. True when a button changed.
  bool Pointer(QPointF stage, bool down);

 private:
  std::shared_ptr<const TSwfMovie> movie_;
  TBudget budget_;
  std::unique_ptr<TTimelineInstance> root_;
  // Where the movie's stream stood at the last tick, and since when.
  int64_t heard_ = -1;
  std::chrono::steady_clock::time_point still_;
  // The buttons the pointer is over and the one it pressed, each by the depths down to it.
  std::vector<uint16_t> over_, pressed_;
  bool down_ = false;
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
