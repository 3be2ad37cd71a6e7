// The properties of the whole show: its name and the author's words for the settings dialog,
// how the slides play (time, order, place, fit, transition mode), the music playlist, and the
// interface texts. Every change is one edit of the document.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QTabWidget>

#include "studio/model/studiodocument.h"
#include "studio/widgets.h"

namespace sf {

class TShowPanel : public QTabWidget {
  Q_OBJECT

 public:
  explicit TShowPanel(TStudioDocument& document, QWidget* parent = nullptr);

 signals:
  void Message(const QString& text);

 private:
  QWidget* MakeAbout();
  QWidget* MakePlaying();
  QWidget* MakeMusic();
  QWidget* MakeTexts();
  void Refresh();
  void Edit(const TFieldChanges& changes, const QString& what, int mergeId = 0);
  QLineEdit* TextField(uint8_t tag, const QString& what);
  QCheckBox* FlagField(uint8_t tag, const QString& text);
  QComboBox* ChoiceField(uint8_t tag, const QStringList& names, const std::vector<int32_t>& values);
  void MoveTrack(int by);

  TStudioDocument& doc_;
  bool loading_ = false;
  // Refreshers of the fields, one each.
  std::vector<std::function<void()>> refresh_;
  QListWidget* music_ = nullptr;
  TFileField* dialogPicture_ = nullptr;
  QTableWidget* texts_ = nullptr;
};

}  // namespace sf
