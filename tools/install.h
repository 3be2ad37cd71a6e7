// Installing a show as an XScreenSaver hack: the show is copied to the user's shows folder and
// named in the programs list of ~/.xscreensaver.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <ostream>

namespace sf {

// The entry of the programs list for a show: "NAME" PATH -root.
QByteArray SaverEntry(const QString& name, const QString& path);

// The file ~/.xscreensaver with the entry for path added at the end of its programs list (a list
// is appended when the file has none). Every other byte stays as it was. When an entry already
// runs path, the file comes back unchanged and added is false.
QByteArray AddSaverEntry(const QByteArray& file, const QString& name, const QString& path, bool* added);

// The file with every entry of the programs list that runs path taken out; removed tells whether
// there was one.
QByteArray RemoveSaverEntry(const QByteArray& file, const QString& path, bool* removed);

// The program of each entry of the file's programs list, in order (the first word of its command).
QStringList SaverPrograms(const QByteArray& file);

// The name a show's copy has in the shows folder: its file name with every character that the
// shell would take apart replaced by '_', so that the entry's command needs no quoting.
QString ShowCopyName(const QString& showPath);

// showforge-tool install [--remove] SHOW.scr
int CmdInstall(const QStringList& args, std::ostream& out, std::ostream& err);

}  // namespace sf
