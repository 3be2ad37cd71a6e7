// DefineButton and DefineButton2: the characters of each state (up, over, down, and the area the
// pointer is tested against), and the actions to run on the pointer's transitions; DefineButton's
// actions run when the button is clicked (pressed and released over it).
#include "swf/parse.h"

namespace sf::swf {

TCharacter ReadButton(TReader& r, int tag) {
  TCharacter c;
  c.kind = TCharacter::Button;
  TButton& b = c.button;
  size_t actionsAt = 0;
  uint16_t actionOffset = 0;
  if (tag == 34) {
    b.menu = r.U8() & 1;
    actionsAt = r.Position();
    actionOffset = r.U16();  // from where it stands
  }
  while (r.Left() > 0) {
    const uint8_t flags = r.U8();
    if (flags == 0) break;  // the end of the characters
    TButton::TRecord rec;
    rec.states = flags & 0x0F;  // hit test, down, over, up: as TButton::TState
    rec.characterId = r.U16();
    rec.depth = r.U16();
    rec.matrix = r.Matrix();
    if (tag == 34) {
      rec.colorTransform = r.ColorTransform(true);
      if (flags & 0x10) rec.filters = std::make_shared<const TFilterList>(ReadFilterList(r));
      if (flags & 0x20) rec.blendMode = r.U8();
    }
    b.records.push_back(std::move(rec));
  }
  if (tag == 7) {  // one list of actions, run on the click
    b.actions.push_back({TButton::kOverDownToOverUp, ReadActions(r)});
    return c;
  }
  if (actionOffset == 0) return c;
  // BUTTONCONDACTIONs: each its size (0 for the last), the transitions that run it, its actions.
  size_t at = actionsAt + actionOffset;
  while (at >= r.Position() && at < r.Position() + r.Left()) {
    r.Skip(at - r.Position());
    const size_t start = r.Position();
    const uint16_t size = r.U16();
    const uint8_t high = r.U8(), low = r.U8();
    TButton::TCondAction a;
    static constexpr uint16_t kHigh[8] = {TButton::kIdleToOverUp,      TButton::kOverUpToIdle,      TButton::kOverUpToOverDown,
                                          TButton::kOverDownToOverUp,  TButton::kOverDownToOutDown, TButton::kOutDownToOverDown,
                                          TButton::kOutDownToIdle,     TButton::kIdleToOverDown};
    for (int bit = 0; bit < 8; ++bit)
      if (high & (1 << bit)) a.transitions |= kHigh[bit];
    if (low & 1) a.transitions |= TButton::kOverDownToIdle;  // the key code above it is not used
    const size_t length = size == 0 ? r.Left() : std::min<size_t>(size_t(size) - std::min<size_t>(size, 4), r.Left());
    TReader actions(r.Here(), length);
    a.actions = ReadActions(actions);
    b.actions.push_back(std::move(a));
    if (size == 0) break;
    at = start + size;
  }
  return c;
}

void ReadButtonCxform(TReader& r, TButton& b) {
  const TColorTransform cx = r.ColorTransform(false);
  for (TButton::TRecord& rec : b.records) rec.colorTransform = cx;
}

void ReadButtonSound(TReader& r, TButton& b) {
  for (int i = 0; i < 4 && r.Left() >= 2; ++i) {
    b.sounds[i] = r.U16();
    if (b.sounds[i] != 0) b.soundInfo[i] = ReadSoundInfo(r);
  }
}

}  // namespace sf::swf
