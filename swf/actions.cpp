// DoAction: the frame actions a screen saver's movies use to control their own timeline: stop,
// play, go to a frame or a label, the next and the previous frame. Every other action (the
// stack machine of ActionScript, its jumps and calls) is passed over by its length.
#include "swf/parse.h"

namespace sf::swf {

namespace {
TAction Action(TAction::TKind kind) {
  TAction a;
  a.kind = kind;
  return a;
}
}  // namespace

std::vector<TAction> ReadActions(TReader& r) {
  std::vector<TAction> actions;
  while (r.Left() > 0) {
    const uint8_t code = r.U8();
    if (code == 0) break;  // ActionEndFlag
    size_t length = 0;
    if (code >= 0x80) length = r.U16();
    if (length > r.Left()) Fail("an action runs past its record");
    TReader data(r.Here(), length);
    r.Skip(length);
    switch (code) {
      case 0x04: actions.push_back(Action(TAction::NextFrame)); break;
      case 0x05: actions.push_back(Action(TAction::PrevFrame)); break;
      case 0x06: actions.push_back(Action(TAction::Play)); break;
      case 0x07: actions.push_back(Action(TAction::Stop)); break;
      case 0x81: {  // ActionGotoFrame: a 0-based frame
        TAction a = Action(TAction::GotoFrame);
        a.frame = data.U16();
        actions.push_back(a);
        break;
      }
      case 0x8C: {  // ActionGoToLabel
        TAction a = Action(TAction::GotoLabel);
        a.label = QString::fromUtf8(data.String().c_str());
        actions.push_back(a);
        break;
      }
      default: break;
    }
  }
  return actions;
}

}  // namespace sf::swf
