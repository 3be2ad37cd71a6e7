// Small widgets the studio's panels share: a colour button, a file field, and the studio's own
// file dialogs (Qt's, never the desktop's, so that a path typed and Enter work everywhere).
#pragma once

#include <QColor>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <optional>

#include "platform/color.h"

namespace sf {

// The studio's file dialogs; they remember the last folder and their size.
QString AskOpenFile(QWidget* parent, const QString& caption, const QString& filter);
QStringList AskOpenFiles(QWidget* parent, const QString& caption, const QString& filter);
QString AskSaveFile(QWidget* parent, const QString& caption, const QString& suggested, const QString& filter);
QString AskFolder(QWidget* parent, const QString& caption, const QString& suggested);

// Fields under `root` that a mouse wheel changes (choices, numbers, sliders) take the wheel only
// once they have the keyboard: turned over a page that scrolls, the wheel scrolls the page and
// changes no value the author never clicked.
void WheelOnlyWhenFocused(QWidget* root);

// The filters of pictures, of media a slide can be, and of sounds.
QString PictureFilter();
QString SlideMediaFilter();
QString SoundFilter();

// A button showing a colour; a click opens Qt's colour chooser. With `allowRandom` the colour
// may also be "random" (the player's own pick each time), chosen from its menu.
class TColorButton : public QPushButton {
  Q_OBJECT

 public:
  explicit TColorButton(bool allowRandom, QWidget* parent = nullptr);
  // No value: random, or mixed when `mixed` is set.
  void SetColor(std::optional<TColor> color, bool mixed = false);

 signals:
  // A colour chosen, or none for random.
  void Chosen(std::optional<sf::TColor> color);

 private:
  void Choose();
  bool allowRandom_;
  std::optional<TColor> color_;
};

// A file's path with a button that chooses one; an empty path means none.
class TFileField : public QWidget {
  Q_OBJECT

 public:
  TFileField(const QString& caption, const QString& filter, QWidget* parent = nullptr);
  void SetPath(const QString& path);
  QString Path() const { return edit_->text(); }

 signals:
  // The path changed by the chooser, by Enter, by leaving the field, or cleared.
  void Changed(const QString& path);

 private:
  QLineEdit* edit_;
  QString caption_, filter_, last_;
};

}  // namespace sf
