// The configuration dialog of the screen saver and its about box.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

#include "platform/canvas.h"
#include "transitions/engine.h"

namespace sf {

class TProjectInfo;
class TRWSetting;

// Shows the dialog modally; true when it was closed with a successful save.
bool ShowSettingDialog(TProjectInfo& project, TRWSetting& settings, QWidget* parent = nullptr);

class TfSetting : public QDialog {
  Q_OBJECT

 public:
  TfSetting(TProjectInfo& project, TRWSetting& settings, QWidget* parent = nullptr);

  // Loading the controls from the settings, and saving them back; Save gives false when a
  // password check fails (with its message) or the registry cannot be written.
  void LoadControls();
  bool Save();

  void btnOKClick();
  void btnCancelClick();
  void VisitWebsite();
  void ShowAbout();
  void TransitionSwitch();

  // The address "Visit our website" hands to the desktop: at most 103 characters.
  QString WebAddress() const;

  QWidget* plDlgImage = nullptr;
  QLabel* imgDlg = nullptr;
  QTabWidget* pctl = nullptr;
  QWidget *tbNormal = nullptr, *tbAdvance = nullptr, *tsTransition = nullptr, *tbAuthInfo = nullptr, *tbDesc = nullptr;
  QCheckBox* ckbEnabledPassword = nullptr;
  QLineEdit *edtPassword = nullptr, *edtConform = nullptr;
  QCheckBox *ckbMouseMove = nullptr, *ckbMouseLeftClick = nullptr, *ckbMouseRightClick = nullptr,
            *ckbMouseDoubleClick = nullptr, *ckbEscKey = nullptr, *ckbEnterkey = nullptr, *ckbSpecifyKey = nullptr;
  QLineEdit* edtKeyValue = nullptr;
  QSlider* tbMouseSensitivity = nullptr;
  QCheckBox *ckbEnabledMusic = nullptr, *ckbMaxRuntime = nullptr;
  QSpinBox* udMaxRunTime = nullptr;
  QCheckBox* ckbtransitionused = nullptr;
  QListWidget* clbInEffect = nullptr;
  QPushButton *btnInSelectAll = nullptr, *btnInClearAll = nullptr;
  QCheckBox* ckbRandomInEffect = nullptr;
  QSlider* tbInSpeed = nullptr;
  QLabel* lbPreview = nullptr;  // the live preview of the effect under the cursor
  QLabel *lbAuthor = nullptr, *lbAuthWebSite = nullptr, *lbEMail = nullptr;
  QWidget *plAuthweb = nullptr, *plAuthEMail = nullptr;
  QPushButton* btnvisit = nullptr;
  QPlainTextEdit *edtDesc = nullptr, *memdesc = nullptr;
  QPushButton *btnOK = nullptr, *btnCancel = nullptr;
  QMenu *mmFile = nullptr, *mmAction = nullptr, *mmHelp = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildSettingTab();
  void BuildTransitionTab();
  void BuildAuthorTabs();
  void ShowProject();
  // The live preview: one effect over two small pictures, again and again.
  void PreviewEffect(int index);
  void PreviewTick();

  TProjectInfo& project_;
  TRWSetting& settings_;
  QTimer previewTimer_;
  QImage previewOld_, previewNew_, previewSurface_;
  TCanvas previewCanvas_{previewSurface_};
  TRandom previewRandom_;  // the preview's effects draw from their own generator
  TTransitionEngine previewEngine_{previewRandom_};
  int previewIndex_ = -2;
  int previewHold_ = 0;
};

class TfSettingAbout : public QDialog {
  Q_OBJECT

 public:
  explicit TfSettingAbout(const TProjectInfo& project, QWidget* parent = nullptr);
  QLabel *lbProjectName = nullptr, *labelversion = nullptr, *lbVersion = nullptr, *lbCopyright = nullptr,
         *lbavailmemory = nullptr, *lbMemory = nullptr, *imgAbout = nullptr;
};

// The machine's physical memory in KiB followed by " K".
QString PhysicalMemoryText();

}  // namespace sf
