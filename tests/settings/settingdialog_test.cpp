// The settings dialog without a display: what it loads, what OK saves, what it refuses, how the
// project shapes it; the about box.
#include <QMenuBar>
#include <QStyle>
#include <QStyleOption>
#include <gtest/gtest.h>

#include <memory>
#include <unistd.h>

#include "container/fields.h"
#include "container/projectinfo.h"
#include "platform/messagebox.h"
#include "settings/rwsetting.h"
#include "settings/settingdialog.h"
#include "tests/common/fieldutil.h"
#include "tests/common/testutil.h"
#include "transitions/table.h"

using namespace sf;

namespace {


struct TDialog {
  std::unique_ptr<TProjectInfo> project;
  std::unique_ptr<TRWSetting> settings;
  std::unique_ptr<TfSetting> dialog;
  QStringList messages;

  // name is the project (and key) name; header adds header fields (name, value).
  explicit TDialog(const std::string& name, const std::vector<std::pair<const char*, std::string>>& header = {},
                   const std::function<void(TRWSetting&)>& stored = {}) {
    sftest::ProjectBuilder b;
    b.header = sftest::HeaderField("ProjectName", name);
    for (const auto& [field, value] : header) b.header += sftest::HeaderField(field, value);
    project = std::make_unique<TProjectInfo>(QString::fromStdString(sftest::WriteFile("dlg.scr", b.Build())));
    project->ReadHeader();
    settings = std::make_unique<TRWSetting>(project->ProjectName);
    if (stored) {
      stored(*settings);
      EXPECT_TRUE(settings->Save());
    }
    settings->Load();
    SetMessageSink([this](const QString& m) { messages << m; });
    dialog = std::make_unique<TfSetting>(*project, *settings);
  }
  ~TDialog() { SetMessageSink({}); }
  // What the registry holds after the dialog.
  TRWSetting Stored() const {
    TRWSetting s(project->ProjectName);
    s.Load();
    return s;
  }
};

}  // namespace

TEST(SettingDialog, LoadsAndSavesTheControls) {
  TDialog d("dlgload", {}, [](TRWSetting& s) {
    s.MouseSensitivity = 5;
    s.Transitions = "3; x;7;12";  // "x" counts as 0; "12" after the last ";" is ignored
    s.UseOwnTransitions = false;
  });
  TfSetting& f = *d.dialog;
  EXPECT_EQ(f.tbMouseSensitivity->value(), 15);
  EXPECT_EQ(f.clbInEffect->count(), 161);
  EXPECT_EQ(f.clbInEffect->item(160)->text(), QString(EffectTable()[160].name));
  auto checked = [&f] {
    QList<int> out;
    for (int i = 0; i < f.clbInEffect->count(); ++i)
      if (f.clbInEffect->item(i)->checkState() == Qt::Checked) out << i;
    return out;
  };
  EXPECT_EQ(checked(), (QList<int>{0, 3, 7}));
  EXPECT_FALSE(f.clbInEffect->isEnabled());  // the switch is off
  f.ckbtransitionused->click();
  EXPECT_TRUE(f.clbInEffect->isEnabled() && f.tbInSpeed->isEnabled() && f.btnInClearAll->isEnabled());

  f.tbMouseSensitivity->setValue(20);  // "High"
  f.btnInClearAll->click();
  for (int i : {0, 5, 160}) f.clbInEffect->item(i)->setCheckState(Qt::Checked);
  f.tbInSpeed->setValue(42);
  f.btnOK->click();
  EXPECT_EQ(f.result(), QDialog::Accepted);
  TRWSetting s = d.Stored();
  EXPECT_EQ(s.MouseSensitivity, 0);
  EXPECT_EQ(s.Transitions, "0;5;160;");
  EXPECT_EQ(s.TransitionSpeed, 42);
  EXPECT_TRUE(s.UseOwnTransitions);

  TDialog low("dlgload");
  low.dialog->tbMouseSensitivity->setValue(1);  // "Low"
  low.dialog->btnInClearAll->click();
  ASSERT_TRUE(low.dialog->Save());
  EXPECT_EQ(low.Stored().MouseSensitivity, 19);
  EXPECT_EQ(low.Stored().Transitions, "");  // "Clear All" then save: an empty list
}

TEST(SettingDialog, PasswordChecksKeepTheDialogOpen) {
  TDialog d("dlgpwd");
  TfSetting& f = *d.dialog;
  f.ckbEnabledPassword->setChecked(true);
  f.edtPassword->setText("   ");
  f.edtConform->setText("");
  f.tbMouseSensitivity->setValue(3);
  f.btnOK->click();
  EXPECT_EQ(d.messages, QStringList{"Please input password!"});
  EXPECT_NE(f.result(), QDialog::Accepted);
  EXPECT_EQ(d.Stored().MouseSensitivity, 5);  // nothing saved
  f.edtPassword->setText("secret");
  f.edtConform->setText("Secret");
  f.btnOK->click();
  EXPECT_EQ(d.messages.last(), "New Password <> Confirm Password");
  EXPECT_FALSE(d.Stored().PasswordEnabled);
  // Blanks around the password, the same in both edits, are not stored.
  f.edtPassword->setText("  secret ");
  f.edtConform->setText(" secret  ");
  f.btnOK->click();
  EXPECT_EQ(f.result(), QDialog::Accepted);
  EXPECT_EQ(d.Stored().Password, "secret");
  EXPECT_TRUE(d.Stored().PasswordEnabled);
  EXPECT_EQ(d.Stored().MouseSensitivity, 17);
  // Unchecked, the password keeps its value.
  TDialog again("dlgpwd");
  again.dialog->ckbEnabledPassword->setChecked(false);
  again.dialog->edtPassword->clear();
  ASSERT_TRUE(again.dialog->Save());
  EXPECT_EQ(again.Stored().Password, "secret");
  EXPECT_FALSE(again.Stored().PasswordEnabled);
}

TEST(SettingDialog, ProjectShapesTheDialog) {
  // Menu mode: "Mouse Move" and "Mouse Right Click" unchecked, disabled and saved false.
  TDialog menu("dlgmenu", {{"MenuMode", "1"}}, [](TRWSetting& s) {
    s.CloseOnMouseMove = true;
    s.CloseOnRightClick = true;
  });
  TfSetting& f = *menu.dialog;
  EXPECT_FALSE(f.ckbMouseMove->isChecked() || f.ckbMouseMove->isEnabled());
  EXPECT_FALSE(f.ckbMouseRightClick->isChecked() || f.ckbMouseRightClick->isEnabled());
  ASSERT_TRUE(f.Save());
  EXPECT_FALSE(menu.Stored().CloseOnMouseMove);
  EXPECT_FALSE(menu.Stored().CloseOnRightClick);
  // Without the dialog picture the client area is 329 pixels wide; the description tab stands
  // in for the author's; the "Normal" tab is never shown; "Setting" is open first.
  EXPECT_EQ(f.width(), 329);
  EXPECT_TRUE(f.plDlgImage->isHidden());
  EXPECT_FALSE(f.pctl->isTabVisible(f.pctl->indexOf(f.tbNormal)));
  EXPECT_FALSE(f.pctl->isTabVisible(f.pctl->indexOf(f.tbAuthInfo)));
  EXPECT_TRUE(f.pctl->isTabVisible(f.pctl->indexOf(f.tbDesc)));
  EXPECT_EQ(f.pctl->currentWidget(), f.tbAdvance);
  EXPECT_EQ(f.windowTitle(), "Screensaver Setting");
  EXPECT_TRUE(f.btnOK->isDefault());

  const std::string longSite = "http://example.org/" + std::string(120, 'a');
  TDialog author("dlgauthor", {{"ShowDialogPicture", "1"}, {"ShowAuthorInfo", "1"}, {"AuthorName", "Ann"},
                               {"ShowWebSite", "1"}, {"WebSite", longSite}, {"ShowEMail", "0"}, {"ShowHelpMenu", "1"}});
  TfSetting& a = *author.dialog;
  EXPECT_EQ(a.width(), 450);
  EXPECT_TRUE(a.pctl->isTabVisible(a.pctl->indexOf(a.tbAuthInfo)));
  EXPECT_FALSE(a.pctl->isTabVisible(a.pctl->indexOf(a.tbDesc)));
  EXPECT_EQ(a.lbAuthor->text(), "Ann");
  EXPECT_FALSE(a.plAuthweb->isHidden());
  EXPECT_TRUE(a.plAuthEMail->isHidden());
  EXPECT_TRUE(a.mmAction->menuAction()->isVisible());
  EXPECT_TRUE(a.mmHelp->menuAction()->isVisible());
  EXPECT_FALSE(f.mmAction->menuAction()->isVisible());
  EXPECT_FALSE(f.mmHelp->menuAction()->isVisible());
  EXPECT_EQ(a.WebAddress().size(), 103);
  EXPECT_TRUE(QString::fromStdString(longSite).startsWith(a.WebAddress()));
}

TEST(SettingDialog, UndecodableDialogPictureLeavesTheImageEmpty) {
  // An embedded dialog picture whose bytes are no JPEG, and an external one that is damaged:
  // the dialog opens with an empty image instead of ending the program.
  sftest::ProjectBuilder b;
  b.header = sftest::HeaderField("ProjectName", "dlgbadpic") + sftest::HeaderField("ShowDialogPicture", "1") +
             sftest::HeaderField("DialogPicture", "face.jpg");
  b.AddResource("not a jpeg at all");
  b.AddResource("");  // the dialog picture lies between the last two resource entries
  TProjectInfo embedded(QString::fromStdString(sftest::WriteFile("dlgbad.scr", b.Build())));
  embedded.ReadHeader();
  TRWSetting settings(embedded.ProjectName);
  std::unique_ptr<TfSetting> dialog;
  ASSERT_NO_THROW(dialog = std::make_unique<TfSetting>(embedded, settings));
  EXPECT_TRUE(dialog->imgDlg->pixmap().isNull());
  EXPECT_EQ(dialog->width(), 450);

  const std::string broken = sftest::WriteFile("broken.jpg", std::string("\xFF\xD8\xFF\xE0garbage", 11));
  sftest::ProjectBuilder e;
  e.header = sftest::HeaderField("ProjectName", "dlgbadfile") + sftest::HeaderField("ShowDialogPicture", "1") +
             sftest::HeaderField("MediaEmbedded", "0") + sftest::HeaderField("DialogPicture", broken);
  TProjectInfo external(QString::fromStdString(sftest::WriteFile("dlgbad2.scr", e.Build())));
  external.ReadHeader();
  ASSERT_NO_THROW(dialog = std::make_unique<TfSetting>(external, settings));
  EXPECT_TRUE(dialog->imgDlg->pixmap().isNull());
}

TEST(SettingDialog, ControlDetails) {
  TDialog d("dlgdetails");
  TfSetting& f = *d.dialog;
  // The arrow keys move the sensitivity 10 positions at a time.
  f.tbMouseSensitivity->setValue(5);
  f.tbMouseSensitivity->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(f.tbMouseSensitivity->value(), 15);
  // A minimize box, and the password edits show "*" for every character.
  EXPECT_TRUE(f.windowFlags() & Qt::WindowMinimizeButtonHint);
  for (QLineEdit* edit : {f.edtPassword, f.edtConform}) {
    QStyleOptionFrame option;
    option.initFrom(edit);
    EXPECT_EQ(edit->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, &option, edit), '*');
  }
}

TEST(SettingDialog, AboutBox) {
  TDialog d("dlgabout", {{"Version", "2.5"}, {"Copyright", "(c) Q"}});
  TfSettingAbout about(*d.project);
  EXPECT_EQ(about.windowTitle(), "About dlgabout");
  EXPECT_EQ(about.lbVersion->text(), "2.5");
  EXPECT_EQ(about.lbCopyright->text(), "(c) Q");
  const QString memory = about.lbMemory->text();
  ASSERT_TRUE(memory.endsWith(" K"));
  const qulonglong k = memory.chopped(2).toULongLong();
  EXPECT_GT(k, 64u * 1024);  // a machine that runs these tests has more than 64 MB
  EXPECT_EQ(k, qulonglong(sysconf(_SC_PHYS_PAGES)) * qulonglong(sysconf(_SC_PAGESIZE)) / 1024);
}
