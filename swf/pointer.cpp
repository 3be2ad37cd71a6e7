// The pointer over a movie's buttons: which button lies under it (the topmost, by its hit-test
// characters), and the transitions between its states as the pointer moves, presses and
// releases, each running the button's actions and sounds for it. A button pressed and dragged
// off shows its up state until the pointer comes back or the press ends.
#include <cmath>

#include "swf/parse.h"
#include "swf/player.h"
#include "swf/sound.h"

namespace sf::swf {
namespace {

// Whether a point (in the shape's twips) lies in a shape's fills (even-odd across the edges
// between a fill and none) or on one of its lines.
bool ShapeHit(const TSwfShape& shape, QPointF p) {
  if (!shape.bounds.adjusted(-1, -1, 1, 1).contains(p)) return false;
  for (const TSwfShape::TGroup& g : shape.groups) {
    int crossings = 0;
    auto cross = [&](QPointF a, QPointF b) {
      if ((a.y() > p.y()) == (b.y() > p.y())) return;
      const double x = a.x() + (p.y() - a.y()) * (b.x() - a.x()) / (b.y() - a.y());
      if (x > p.x()) ++crossings;
    };
    for (const TSwfShape::TEdge& e : g.edges) {
      if ((e.fill0 == 0) == (e.fill1 == 0)) continue;  // between two fills: inside either way
      const QPointF a(e.ax, e.ay), c(e.cx, e.cy), b(e.bx, e.by);
      if (!e.curve) {
        cross(a, b);
        continue;
      }
      QPointF from = a;
      for (int k = 1; k <= 8; ++k) {
        const double t = k / 8.0, u = 1 - t;
        const QPointF at = u * u * a + 2 * u * t * c + t * t * b;
        cross(from, at);
        from = at;
      }
    }
    if (crossings % 2) return true;
    for (const TSwfShape::TStroke& s : g.strokes)
      if (!s.outline.isEmpty() && s.outline.contains(p)) return true;
  }
  return false;
}

// Whether a point (in the character's twips) lies on a character: a shape's or morph's area, a
// bitmap's or text's box, anything a sprite places in its first frame.
bool CharacterHit(const TSwfMovie& movie, const TCharacter* c, const TSwfShape* morph, QPointF p, int nesting) {
  if (!c || nesting >= kMaxNesting) return false;
  switch (c->kind) {
    case TCharacter::Shape: return ShapeHit(c->shape, p);
    case TCharacter::Morph: return morph ? ShapeHit(*morph, p) : ShapeHit(c->morph.At(0), p);
    case TCharacter::Bitmap: return QRectF(0, 0, c->bitmap.width() * 20.0, c->bitmap.height() * 20.0).contains(p);
    case TCharacter::Text: {
      bool invertible = false;
      const QPointF q = c->text.matrix.inverted(&invertible).map(p);
      return invertible && c->text.bounds.contains(q);
    }
    case TCharacter::Sprite:
      for (const TPlacement& pl : c->sprite.Frame(0).changes) {
        if (!pl.hasCharacter || pl.hasClipDepth) continue;
        bool invertible = false;
        const QPointF q = pl.matrix.inverted(&invertible).map(p);
        if (invertible && CharacterHit(movie, movie.Character(pl.characterId), nullptr, q, nesting + 1)) return true;
      }
      return false;
    case TCharacter::Button:
      for (const TButton::TRecord& rec : c->button.records) {
        if (!(rec.states & TButton::kHit)) continue;
        bool invertible = false;
        const QPointF q = rec.matrix.inverted(&invertible).map(p);
        if (invertible && CharacterHit(movie, movie.Character(rec.characterId), nullptr, q, nesting + 1)) return true;
      }
      return false;
    default: return false;
  }
}

// The topmost button under a point (in the list's twips) of a display list and of the sprites
// on it; `path` gets the depths down to it. Objects that are not buttons do not hide those below.
bool FindButton(const TSwfMovie& movie, const std::map<uint16_t, TDisplayObject>& list, QPointF p,
                std::vector<uint16_t>& path, int nesting) {
  if (nesting >= kMaxNesting) return false;
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    const TDisplayObject& o = it->second;
    if (o.clipDepth > 0 || !o.visible) continue;
    bool invertible = false;
    const QPointF q = o.matrix.inverted(&invertible).map(p);
    if (!invertible) continue;
    if (o.button) {
      if (CharacterHit(movie, o.character, nullptr, q, nesting + 1)) {
        path.push_back(it->first);
        return true;
      }
    } else if (o.sprite) {
      path.push_back(it->first);
      if (FindButton(movie, o.sprite->List(), q, path, nesting + 1)) return true;
      path.pop_back();
    }
  }
  return false;
}

// The button at a path, and the timeline it stands on; null where the path leads nowhere now.
TDisplayObject* ButtonAt(TTimelineInstance& root, const std::vector<uint16_t>& path, TTimelineInstance** owner) {
  TTimelineInstance* at = &root;
  for (size_t i = 0; i < path.size(); ++i) {
    auto it = at->List().find(path[i]);
    if (it == at->List().end()) return nullptr;
    if (i + 1 == path.size()) {
      *owner = at;
      return it->second.button ? &it->second : nullptr;
    }
    if (!it->second.sprite) return nullptr;
    at = it->second.sprite.get();
  }
  return nullptr;
}

}  // namespace

bool TSwfPlayer::Pointer(QPointF stage, bool down) {
  std::vector<uint16_t> hit;
  FindButton(*movie_, root_->List(), stage, hit, 0);
  bool changed = false;
  // A transition of the button at a path: its new state, then its actions and its sound.
  auto transition = [&](const std::vector<uint16_t>& path, uint16_t which, uint8_t state) {
    TTimelineInstance* owner = nullptr;
    TDisplayObject* o = ButtonAt(*root_, path, &owner);
    if (!o) return;
    const TButton& button = o->character->button;
    if (o->button->state != state) {
      owner->ShowButton(*o, state);
      changed = true;
    }
    static constexpr uint16_t kSounded[4] = {TButton::kOverUpToIdle, TButton::kIdleToOverUp, TButton::kOverUpToOverDown,
                                             TButton::kOverDownToOverUp};
    for (int i = 0; i < 4; ++i) {
      if (which != kSounded[i] || button.sounds[i] == 0 || !budget_.sound) continue;
      const TCharacter* c = movie_->Character(button.sounds[i], budget_.rootFrame);
      if (c && c->kind == TCharacter::Sound) budget_.sound->StartSound(button.sounds[i], c->sound, button.soundInfo[i]);
    }
    for (const TButton::TCondAction& a : button.actions)
      if (a.transitions & which) {
        owner->Run(a.actions);
        changed = true;
      }
  };
  const bool press = down && !down_, release = !down && down_;
  down_ = down;
  if (!down && !release) {  // moving
    if (hit != over_) {
      if (!over_.empty()) transition(over_, TButton::kOverUpToIdle, TButton::kUp);
      if (!hit.empty()) transition(hit, TButton::kIdleToOverUp, TButton::kOver);
    }
  } else if (press) {
    if (hit != over_ && !over_.empty()) transition(over_, TButton::kOverUpToIdle, TButton::kUp);
    if (!hit.empty()) {
      if (hit != over_) transition(hit, TButton::kIdleToOverUp, TButton::kOver);
      transition(hit, TButton::kOverUpToOverDown, TButton::kDown);
    }
    pressed_ = hit;
  } else if (release) {
    if (!pressed_.empty()) {
      if (pressed_ == hit) transition(pressed_, TButton::kOverDownToOverUp, TButton::kOver);
      else transition(pressed_, TButton::kOutDownToIdle, TButton::kUp);
    }
    if (!hit.empty() && hit != pressed_) transition(hit, TButton::kIdleToOverUp, TButton::kOver);
    pressed_.clear();
  } else if (!pressed_.empty()) {  // dragging with a button pressed
    if (hit == pressed_ && over_ != pressed_) transition(pressed_, TButton::kOutDownToOverDown, TButton::kDown);
    else if (hit != pressed_ && over_ == pressed_) transition(pressed_, TButton::kOverDownToOutDown, TButton::kUp);
  }
  over_ = hit;
  return changed;
}

}  // namespace sf::swf
