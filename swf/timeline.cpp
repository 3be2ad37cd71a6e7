// The display list and the timeline: applying a frame's changes, going to a frame (forwards by
// applying the frames between, backwards by building the list anew), the tick, and the frame
// actions that steer the timeline they belong to.
#include <algorithm>

#include "swf/parse.h"
#include "swf/player.h"

namespace sf::swf {
namespace {
// A frame's actions may go to a frame whose actions go on: this many in a row at most.
constexpr int kMaxActionChain = 8;
}  // namespace

TTimelineInstance::TTimelineInstance(const TSwfMovie& movie, const TTimeline& timeline, int nesting, TBudget& budget)
    : movie_(movie), timeline_(timeline), nesting_(nesting), budget_(budget) {
  Enter(0);
  RunActions(0, 0);
}

TTimelineInstance::~TTimelineInstance() { Clear(); }

void TTimelineInstance::Clear() {
  budget_.objects -= int64_t(list_.size());
  list_.clear();
}

void TTimelineInstance::Enter(int32_t frame) {
  // The movie's own timeline sets the frame by which ids name their characters.
  if (nesting_ == 0) budget_.rootFrame = frame;
  Apply(timeline_.Frame(frame));
}

void TTimelineInstance::Apply(const TFrame& frame) {
  for (const TPlacement& p : frame.changes) {
    if (p.remove) {
      if (list_.erase(p.depth)) --budget_.objects;
      continue;
    }
    auto it = list_.find(p.depth);
    if (p.hasCharacter && (!p.move || it == list_.end() || it->second.characterId != p.characterId)) {
      // A new object at the depth (a move that names another character keeps the transforms).
      if (it == list_.end() && budget_.objects >= TBudget::kMaxObjects) continue;
      TDisplayObject o;
      if (p.move && it != list_.end()) {
        o.matrix = it->second.matrix;
        o.colorTransform = it->second.colorTransform;
        o.clipDepth = it->second.clipDepth;
      }
      o.characterId = p.characterId;
      const TCharacter* c = o.character = movie_.Character(p.characterId, budget_.rootFrame);
      if (c && c->kind == TCharacter::Sprite && nesting_ + 1 < kMaxNesting)
        o.sprite = std::make_unique<TTimelineInstance>(movie_, c->sprite, nesting_ + 1, budget_);
      if (it == list_.end()) ++budget_.objects;
      it = list_.insert_or_assign(p.depth, std::move(o)).first;
    } else if (it == list_.end()) {
      continue;  // nothing at the depth to change
    }
    TDisplayObject& o = it->second;
    if (p.hasMatrix) o.matrix = p.matrix;
    if (p.hasColorTransform) o.colorTransform = p.colorTransform;
    if (p.hasClipDepth) o.clipDepth = p.clipDepth;
  }
}

void TTimelineInstance::RunActions(int32_t frame, int depth) {
  // The frame's actions run in turn; a frame gone to runs its own actions after them (a chain of
  // such frames stops after a few).
  int32_t jumped = -1;
  for (const TAction& a : timeline_.Frame(frame).actions) {
    if (a.kind == TAction::Stop) {
      playing = false;
      continue;
    }
    if (a.kind == TAction::Play) {
      playing = true;
      continue;
    }
    const int32_t target = a.kind == TAction::NextFrame   ? current_ + 1
                           : a.kind == TAction::PrevFrame ? current_ - 1
                           : a.kind == TAction::GotoFrame ? a.frame
                                                          : timeline_.FrameOfLabel(a.label);
    if (a.kind == TAction::NextFrame || a.kind == TAction::PrevFrame) playing = false;
    if (target < 0 || target >= timeline_.frameCount || target == current_) continue;
    if (target > current_) {
      for (int32_t f = current_ + 1; f <= target; ++f) Enter(f);
    } else {
      Rebuild(target);
    }
    current_ = target;
    jumped = target;
  }
  if (jumped >= 0 && depth + 1 < kMaxActionChain) RunActions(jumped, depth + 1);
}

// The display list of a frame, built from the first frame on. Sprites that stand at the same
// depth with the same character before and after keep playing where they were.
void TTimelineInstance::Rebuild(int32_t frame) {
  std::map<uint16_t, TDisplayObject> before;
  before.swap(list_);
  budget_.objects -= int64_t(before.size());
  for (int32_t f = 0; f <= frame; ++f) Enter(f);
  for (auto& [depth, o] : list_) {
    auto old = before.find(depth);
    if (old != before.end() && old->second.characterId == o.characterId && old->second.sprite && o.sprite) {
      o.sprite = std::move(old->second.sprite);
    }
  }
}

void TTimelineInstance::GotoFrame(int32_t frame) {
  frame = std::clamp(frame, 0, timeline_.frameCount - 1);
  if (frame == current_) return;
  if (frame > current_) {
    for (int32_t f = current_ + 1; f <= frame; ++f) Enter(f);
  } else {
    Rebuild(frame);
  }
  current_ = frame;
  RunActions(frame, 0);
}

void TTimelineInstance::Advance() {
  // The sprites on the list move on first; those the playhead places below start next tick.
  for (auto& [depth, o] : list_)
    if (o.sprite) o.sprite->Advance();
  if (!playing || timeline_.frameCount <= 1) return;
  const int32_t next = current_ + 1;
  if (next >= timeline_.frameCount) {
    Rebuild(0);  // the timeline loops
    current_ = 0;
  } else {
    Enter(next);
    current_ = next;
  }
  RunActions(current_, 0);
}

TSwfPlayer::TSwfPlayer(std::shared_ptr<const TSwfMovie> movie)
    : movie_(std::move(movie)), root_(std::make_unique<TTimelineInstance>(*movie_, movie_->root, 0, budget_)) {}

}  // namespace sf::swf
