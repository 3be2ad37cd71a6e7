// Making shows: pack a manifest behind the player, extract a show back into a manifest and its
// media, decode a picture as the player would.
#pragma once

#include <QStringList>
#include <ostream>

namespace sf {

int CmdPack(const QStringList& args, std::ostream& out, std::ostream& err);
int CmdExtract(const QStringList& args, std::ostream& out, std::ostream& err);
int CmdDecode(const QStringList& args, std::ostream& out, std::ostream& err);

}  // namespace sf
