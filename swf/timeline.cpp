// The display list and the timeline: applying a frame's changes, going to a frame (forwards by
// applying the frames between, backwards by building the list anew), the tick, the frame actions
// that steer the timeline they belong to, the sounds a shown frame starts and the stream sound
// that plays with the frames.
#include <algorithm>
#include <chrono>

#include "swf/parse.h"
#include "swf/player.h"
#include "swf/sound.h"

namespace sf::swf {
namespace {
// A frame's actions may go to a frame whose actions go on: this many in a row at most.
constexpr int kMaxActionChain = 8;
}  // namespace

TTimelineInstance::TTimelineInstance(const TSwfMovie& movie, const TTimeline& timeline, int nesting, TBudget& budget)
    : movie_(movie), timeline_(timeline), nesting_(nesting), budget_(budget) {
  Enter(0);
  Shown(0);
  RunActions(0, 0);
}

TTimelineInstance::~TTimelineInstance() {
  StopStream();
  Clear();
}

void TTimelineInstance::Clear() {
  budget_.objects -= int64_t(list_.size());
  list_.clear();
}

void TTimelineInstance::SetPlaying(bool playing) {
  playing_ = playing;
  if (!playing) StopStream();
}

void TTimelineInstance::StopStream() {
  if (streaming_ && budget_.sound && timeline_.stream) budget_.sound->StopStream(this);
  streaming_ = false;
}

void TTimelineInstance::Silence() {
  StopStream();
  for (auto& [depth, o] : list_) {
    if (o.sprite) o.sprite->Silence();
    if (o.button)
      for (auto& [d, child] : o.button->list)
        if (child.sprite) child.sprite->Silence();
  }
}

void TTimelineInstance::Enter(int32_t frame) {
  // The movie's own timeline sets the frame by which ids name their characters.
  if (nesting_ == 0) budget_.rootFrame = frame;
  Apply(timeline_.Frame(frame));
}

void TTimelineInstance::Shown(int32_t frame) {
  TSoundOutput* out = budget_.sound;
  if (!out) return;
  for (const TSoundStart& s : timeline_.Frame(frame).sounds) {
    uint16_t id = s.id;
    if (!s.className.isEmpty()) {
      const auto it = movie_.symbols.find(s.className);
      // A class that only the movie's scripts define, which we do not run, names no sound here.
      if (it == movie_.symbols.end()) continue;
      id = it->second;
    }
    const TCharacter* c = movie_.Character(id, budget_.rootFrame);
    if (c && c->kind == TCharacter::Sound) out->StartSound(id, c->sound, s.info);
  }
  if (timeline_.stream && playing_ && !streaming_) {
    const int block = timeline_.stream->BlockOfFrame(frame);
    if (block >= 0) {
      out->StartStream(this, *timeline_.stream, block, nesting_ == 0);
      streaming_ = true;
    }
  }
}

TDisplayObject TTimelineInstance::Make(uint16_t characterId, int nesting) {
  TDisplayObject o;
  o.characterId = characterId;
  const TCharacter* c = o.character = movie_.Character(characterId, budget_.rootFrame);
  if (!c) return o;
  const bool nests = nesting + 1 < kMaxNesting;  // sprites and buttons nested deeper stay empty
  switch (c->kind) {
    case TCharacter::Sprite:
      if (nests) o.sprite = std::make_unique<TTimelineInstance>(movie_, c->sprite, nesting + 1, budget_);
      break;
    case TCharacter::Morph: o.morph = std::make_shared<const TSwfShape>(c->morph.At(0)); break;
    case TCharacter::Button:
      if (!nests) break;
      o.button = std::make_unique<TButtonInstance>();
      o.button->budget = &budget_;
      o.button->nesting = nesting + 1;
      ShowButton(o, TButton::kUp);
      break;
    default: break;
  }
  return o;
}

void TTimelineInstance::ShowButton(TDisplayObject& o, uint8_t state) {
  if (!o.button || !o.character || o.character->kind != TCharacter::Button) return;
  TButtonInstance& b = *o.button;
  budget_.objects -= int64_t(b.list.size());
  b.list.clear();
  b.state = state;
  for (const TButton::TRecord& rec : o.character->button.records) {
    if (!(rec.states & state) || budget_.objects >= TBudget::kMaxObjects) continue;
    TDisplayObject child = Make(rec.characterId, b.nesting);
    child.matrix = rec.matrix;
    child.colorTransform = rec.colorTransform;
    child.blendMode = rec.blendMode;
    child.filters = rec.filters;
    if (b.list.find(rec.depth) == b.list.end()) ++budget_.objects;
    b.list.insert_or_assign(rec.depth, std::move(child));
  }
}

void TTimelineInstance::Apply(const TFrame& frame) {
  for (const TPlacement& p : frame.changes) {
    if (p.remove) {
      if (list_.erase(p.depth)) --budget_.objects;
      continue;
    }
    auto it = list_.find(p.depth);
    bool fresh = false;
    if (p.hasCharacter && (!p.move || it == list_.end() || it->second.characterId != p.characterId)) {
      // A new object at the depth (a move that names another character keeps what it had).
      if (it == list_.end() && budget_.objects >= TBudget::kMaxObjects) continue;
      TDisplayObject o = Make(p.characterId, nesting_);
      if (p.move && it != list_.end()) {
        const TDisplayObject& old = it->second;
        o.matrix = old.matrix;
        o.colorTransform = old.colorTransform;
        o.clipDepth = old.clipDepth;
        o.ratio = old.ratio;
        o.blendMode = old.blendMode;
        o.filters = old.filters;
        o.cacheAsBitmap = old.cacheAsBitmap;
        o.visible = old.visible;
        o.background = old.background;
      }
      if (it == list_.end()) ++budget_.objects;
      it = list_.insert_or_assign(p.depth, std::move(o)).first;
      fresh = true;
    } else if (it == list_.end()) {
      continue;  // nothing at the depth to change
    }
    TDisplayObject& o = it->second;
    if (p.hasMatrix) o.matrix = p.matrix;
    if (p.hasColorTransform) o.colorTransform = p.colorTransform;
    if (p.hasClipDepth) o.clipDepth = p.clipDepth;
    if (p.hasBlendMode) o.blendMode = p.blendMode;
    if (p.filters) o.filters = p.filters;
    if (p.hasCacheAsBitmap) o.cacheAsBitmap = p.cacheAsBitmap;
    if (p.hasVisible) o.visible = p.visible;
    if (p.hasBackground) o.background = p.background;
    bool changed = false;
    if (p.hasRatio) changed = p.ratio != o.ratio, o.ratio = p.ratio;
    // A morph shape is made at its ratio where it comes (at 0 it was made so) or its ratio changes.
    if (o.character && o.character->kind == TCharacter::Morph && (changed || (fresh && o.ratio != 0)))
      o.morph = std::make_shared<const TSwfShape>(o.character->morph.At(o.ratio / 65535.0));
  }
}

bool TTimelineInstance::Jump(const TAction& a) {
  if (a.kind == TAction::Stop || a.kind == TAction::Play) {
    SetPlaying(a.kind == TAction::Play);
    return false;
  }
  const int32_t target = a.kind == TAction::NextFrame   ? current_ + 1
                         : a.kind == TAction::PrevFrame ? current_ - 1
                         : a.kind == TAction::GotoFrame ? a.frame
                                                        : timeline_.FrameOfLabel(a.label);
  if (a.kind == TAction::NextFrame || a.kind == TAction::PrevFrame) SetPlaying(false);
  if (target < 0 || target >= timeline_.frameCount || target == current_) return false;
  // The stream sounds on from the block of the frame gone to, if it has one.
  StopStream();
  if (target > current_) {
    for (int32_t f = current_ + 1; f <= target; ++f) Enter(f);
  } else {
    Rebuild(target);
  }
  current_ = target;
  Shown(target);
  return true;
}

void TTimelineInstance::RunList(const std::vector<TAction>& actions, int depth) {
  // The actions run in turn; a frame gone to runs its own actions after them (a chain of such
  // frames stops after a few).
  bool jumped = false;
  for (const TAction& a : actions) jumped |= Jump(a);
  if (jumped && depth + 1 < kMaxActionChain) RunActions(current_, depth + 1);
}

void TTimelineInstance::RunActions(int32_t frame, int depth) { RunList(timeline_.Frame(frame).actions, depth); }

void TTimelineInstance::Run(const std::vector<TAction>& actions) { RunList(actions, 0); }

// The display list of a frame, built from the first frame on. Sprites and buttons that stand at
// the same depth with the same character before and after keep playing where they were.
void TTimelineInstance::Rebuild(int32_t frame) {
  std::map<uint16_t, TDisplayObject> before;
  before.swap(list_);
  budget_.objects -= int64_t(before.size());
  for (int32_t f = 0; f <= frame; ++f) Enter(f);
  for (auto& [depth, o] : list_) {
    auto old = before.find(depth);
    if (old == before.end() || old->second.characterId != o.characterId) continue;
    if (old->second.sprite && o.sprite) o.sprite = std::move(old->second.sprite);
    if (old->second.button && o.button) o.button = std::move(old->second.button);
  }
}

void TTimelineInstance::GotoFrame(int32_t frame) {
  frame = std::clamp(frame, 0, timeline_.frameCount - 1);
  if (frame == current_) return;
  StopStream();
  if (frame > current_) {
    for (int32_t f = current_ + 1; f <= frame; ++f) Enter(f);
  } else {
    Rebuild(frame);
  }
  current_ = frame;
  Shown(frame);
  RunActions(frame, 0);
}

void TTimelineInstance::Advance(std::map<uint16_t, TDisplayObject>& list) {
  for (auto& [depth, o] : list) {
    if (o.sprite) o.sprite->Advance();
    if (o.button) Advance(o.button->list);
  }
}

void TTimelineInstance::Advance() {
  // The sprites on the list move on first; those the playhead places below start next tick.
  Advance(list_);
  if (!playing_ || timeline_.frameCount <= 1) return;
  const int32_t next = current_ + 1;
  if (next >= timeline_.frameCount) {
    StopStream();  // the timeline loops, and its stream with it
    Rebuild(0);
    current_ = 0;
  } else {
    Enter(next);
    current_ = next;
  }
  Shown(current_);
  RunActions(current_, 0);
}

TSwfPlayer::TSwfPlayer(std::shared_ptr<const TSwfMovie> movie, TSoundOutput* sound) : movie_(std::move(movie)) {
  budget_.sound = sound;
  root_ = std::make_unique<TTimelineInstance>(*movie_, movie_->root, 0, budget_);
}

void TSwfPlayer::SetSoundOutput(TSoundOutput* sound) {
  root_->Silence();
  budget_.sound = sound;
  root_->SoundNow();
}

namespace {
// While a stream sounds: how long the frames wait for it while it stands still (one that has not
// begun yet: a media player starting on a busy machine; one that has stopped moving on), and the
// most frames a tick catches up.
constexpr auto kMaxStartWait = std::chrono::seconds(3);
constexpr auto kMaxStillWait = std::chrono::milliseconds(700);
constexpr int kMaxCatchUp = 8;
}  // namespace

int TSwfPlayer::Tick() {
  const TStreamSound* stream = root_->Streaming();
  const int64_t ms = stream && budget_.sound ? budget_.sound->StreamPosition(root_.get()) : -1;
  if (ms < 0 || stream->format.rate <= 0) {
    heard_ = -1;
    Advance();
    return 1;
  }
  // The frames wait on a sound that moves on for as long as it takes; on one that stands still
  // for a while at most, and then go on at the ticks' pace until it moves again.
  const auto now = std::chrono::steady_clock::now();
  if (ms != heard_) heard_ = ms, still_ = now;
  const bool waits = now - still_ < (ms > 0 ? std::chrono::steady_clock::duration(kMaxStillWait)
                                            : std::chrono::steady_clock::duration(kMaxStartWait));
  // The frame whose block the sound has reached.
  const int64_t sample = ms * stream->format.rate / 1000;
  const auto next = std::upper_bound(stream->blocks.begin(), stream->blocks.end(), sample,
                                     [](int64_t s, const TStreamSound::TBlock& b) { return s < b.firstSample; });
  const int32_t reached = next == stream->blocks.begin() ? stream->blocks.front().frame : std::prev(next)->frame;
  const int32_t behind = reached - CurrentFrame();
  if (behind <= 0 && waits) return 0;
  const int frames = std::clamp(behind, 1, kMaxCatchUp);
  for (int i = 0; i < frames; ++i) Advance();
  return frames;
}

}  // namespace sf::swf
