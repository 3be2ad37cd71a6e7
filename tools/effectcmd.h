// showforge-tool effect: one transition run off screen, tick by tick.
#pragma once

#include <QImage>
#include <QStringList>
#include <ostream>

namespace sf {

int CmdEffect(const QStringList& args, std::ostream& out, std::ostream& err);

// The two pictures the tool makes when it is given none: a cool striped old one and a warm new
// one with shapes, so that every kind of reveal shows.
QImage MakeOldPicture(int w, int h);
QImage MakeNewPicture(int w, int h);

}  // namespace sf
