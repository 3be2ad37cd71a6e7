// The effect chooser: the 161 effects by family, each with a box to take it into the slide's
// list, and a live preview of the highlighted effect played from the previous slide's picture
// to this one's at the slide's speed, over and over.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QTimer>
#include <QTreeWidget>
#include <vector>

#include "studio/model/effectpreview.h"
#include "studio/model/thumbnails.h"

namespace sf {

class TEffectChooser : public QDialog {
  Q_OBJECT

 public:
  TEffectChooser(TPictureLoader& pictures, const QString& fromFile, const QString& toFile,
                 const std::vector<int32_t>& chosen, int32_t speed, bool wholeScreen, QWidget* parent = nullptr);
  ~TEffectChooser() override;

  // The effects ticked, in index order.
  std::vector<int32_t> Chosen() const;

 private:
  void Highlighted(QTreeWidgetItem* item);
  void Tick();
  void UpdatePictures();
  void SetAll(bool on);
  void CountChosen();

  TPictureLoader& pictures_;
  QString fromFile_, toFile_;
  int32_t speed_;
  bool wholeScreen_;
  QTreeWidget* tree_;
  QLabel* screen_;
  QLabel* about_;
  QLabel* count_;
  QTimer timer_;
  TEffectPreview preview_;
  int32_t effect_ = -1;
  int holdTicks_ = 0;  // ticks the whole new picture stays before the effect starts again
  std::vector<QTreeWidgetItem*> items_;
};

}  // namespace sf
