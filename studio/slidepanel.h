// The properties of the selected slides: caption and text with their fonts, colours and places,
// the background, the transition and the slide's own options. What the panel shows is what the
// selected slides have in common ("(several)" where they differ); every change is one edit of
// the document, applied to every selected slide.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QWidget>
#include <functional>

#include "studio/model/studiodocument.h"
#include "studio/model/thumbnails.h"
#include "studio/widgets.h"

namespace sf {

class TSlidePanel : public QWidget {
  Q_OBJECT

 public:
  TSlidePanel(TStudioDocument& document, TPictureLoader& pictures, QWidget* parent = nullptr);

  void SetSelection(const QList<int>& slides);
  const QList<int>& Selection() const { return slides_; }
  // Opens the effect chooser for the selected slides.
  void ChooseEffects();

 signals:
  // A message for the status bar (an edit that a field refused).
  void Message(const QString& text);
  // The author asked for the show's settings of how slides play.
  void ShowPlaying();

 private:
  // The widgets of a caption or of the text block.
  struct TTextGroup {
    QGroupBox* box = nullptr;
    QCheckBox* show = nullptr;
    QLineEdit* line = nullptr;       // the caption
    QPlainTextEdit* block = nullptr;  // the text block
    QPushButton* font = nullptr;
    TColorButton* color = nullptr;
    QComboBox* place = nullptr;
    QSpinBox *x = nullptr, *y = nullptr;
    uint8_t showTag, textTag, fontTag, placeTag, xTag, yTag;
  };

  QWidget* MakeTextGroup(TTextGroup& g, const QString& title, bool block);
  QWidget* MakeBackground();
  QWidget* MakeTransition();
  QWidget* MakeOptions();
  QWidget* MakeMedium();
  void RefreshMedium();
  void Refresh();
  void RefreshText(TTextGroup& g);
  void RefreshBackground();
  void Edit(const TFieldChanges& changes, const QString& what, int mergeId = 0);
  void ChooseFont(TTextGroup& g);
  void BackgroundKindChosen(int index);

  // The value every selected slide has, or none where they differ.
  template <typename T>
  std::optional<T> Common(const std::function<T(const TFieldSet&)>& get) const;

  TStudioDocument& doc_;
  TPictureLoader& pictures_;
  QList<int> slides_;
  bool loading_ = false;

  QLabel* title_ = nullptr;
  QWidget* body_ = nullptr;
  TTextGroup caption_, text_;
  QComboBox* bgKind_ = nullptr;
  TColorButton* bgColor_ = nullptr;
  QWidget* gradientRow_ = nullptr;
  QComboBox* gradientStyle_ = nullptr;
  QCheckBox* gradientRandom_ = nullptr;
  TColorButton *gradient1_ = nullptr, *gradient2_ = nullptr;
  QWidget* pictureRow_ = nullptr;
  TFileField* bgPicture_ = nullptr;
  QSpinBox* tiles_ = nullptr;
  QLabel* effects_ = nullptr;
  QComboBox* effectOrder_ = nullptr;
  QSlider* speed_ = nullptr;
  QSpinBox* speedBox_ = nullptr;
  QCheckBox* music_ = nullptr;
  QCheckBox* transparent_ = nullptr;
  // A video clip's size, a flash movie's scale, alignment, colour, end and mouse; shown when
  // every selected slide is a clip, or every one a movie.
  QGroupBox* clipBox_ = nullptr;
  QComboBox* videoSize_ = nullptr;
  QGroupBox* movieBox_ = nullptr;
  QComboBox *flashScale_ = nullptr, *flashAlign_ = nullptr, *flashEnd_ = nullptr;
  QSpinBox *flashEndFrame_ = nullptr, *flashEndSeconds_ = nullptr;
  TColorButton* flashColor_ = nullptr;
  QCheckBox *flashMove_ = nullptr, *flashClick_ = nullptr;
};

// The names of the nine places and of the custom point, by position code 0 to 9.
QStringList PlaceNames();
// The names of the twelve gradient styles.
QStringList GradientStyleNames();

}  // namespace sf
