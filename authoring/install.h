// Installing a show as an XScreenSaver hack: the show's project is put behind our own player in
// the user's shows folder and named in the programs list of ~/.xscreensaver. A show file is a
// program, and one received from someone else may carry any program: install never runs nor
// copies it, only the project at its end.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "authoring/result.h"

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

// ~/.xscreensaver, and the folder of the installed shows (~/.local/share/showforge/shows).
QString SaverSettingsPath();
QString InstalledShowsFolder();

struct TInstallReport {
  QString name;            // the show's name in the programs list: its project's, else its file's
  QString copyPath;        // the installed show
  QString rcPath;          // ~/.xscreensaver
  bool added = false;      // the entry is new; else the programs list had it already
  bool ownPlayer = false;  // the file's program was the player itself; else only its project came
};

// Installs the show: its project behind `player` (see Rehost) as the file ShowCopyName names in
// the shows folder, and its entry at the end of the programs list. A file without a readable
// project, or a home that cannot take the copy or the settings file, changes nothing.
TResult InstallShow(const QString& show, const QString& player, TInstallReport& report);

struct TRemoveReport {
  QString copyPath, rcPath;
  bool removedEntry = false;  // the programs list had an entry for the copy
};

// Takes the installed copy and its entry away again, and ~/.xscreensaver itself when install
// wrote it and the show was its only entry. A show that is not installed is an error.
TResult RemoveShow(const QString& show, TRemoveReport& report);

}  // namespace sf
