// Close events driven by hand: mouse sensitivity, clicks, keys, menu mode, the close query with
// its password, the maximum run time and its reload, and a preview that nothing closes.
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOption>
#include <gtest/gtest.h>

#include <memory>

#include "container/fields.h"
#include "container/projectinfo.h"
#include "player/messages.h"
#include "player/password.h"
#include "platform/messagebox.h"
#include "platform/registry.h"
#include "player/runwindow.h"
#include "player/show.h"
#include "settings/rwsetting.h"
#include "tests/common/fieldutil.h"
#include "tests/common/testutil.h"

using namespace sf;

namespace {


// A show with no slides (the close events do not need any), its settings set by `setup`.
struct TRun {
  std::unique_ptr<TProjectInfo> project;
  std::unique_ptr<TRWSetting> settings;
  std::unique_ptr<TShow> show;
  TfRun* run = nullptr;
  TRun(const std::function<void(TRWSetting&)>& setup, int menuMode = 0, bool preview = false) {
    sftest::ProjectBuilder b;
    b.header = sftest::HeaderField("ProjectName", "closetest") + sftest::HeaderField("MenuMode", std::to_string(menuMode));
    project = std::make_unique<TProjectInfo>(QString::fromStdString(sftest::WriteFile("close.scr", b.Build())));
    project->ReadHeader();
    settings = std::make_unique<TRWSetting>(project->ProjectName);
    setup(*settings);
    TRunSetup s;
    s.preview = preview;
    s.showArea = QSize(800, 600);
    s.onScreen = false;
    show = std::make_unique<TShow>(*project, *settings, s);
    run = &show->Screen();
  }
};

// How many counted move events (each at least 300 pixels right of the first) it takes to close the show after
// the first event records the position; -1 when 50 do not.
int MovesToClose(TfRun& run, int step = 300) {
  run.pbShowMouseMove(10, 10);
  for (int i = 1; i <= 50; ++i) {
    run.pbShowMouseMove(10 + step + i, 10);
    if (run.Closing()) return i;
  }
  return -1;
}

struct TPrompt {
  int asked = 0;
  TPrompt(const QString& answer, bool ok = true) {
    SetPasswordPromptForTesting([this, answer, ok](QString& typed) {
      ++asked;
      typed = answer;
      return ok;
    });
  }
  ~TPrompt() { SetPasswordPromptForTesting({}); }
};

}  // namespace

TEST(CloseEvents, MouseSensitivityTable) {
  // Track-bar position p stores 20 - p: thresholds 10, 10, 50, 100, 190 pixels, closing on the
  // 1st, 2nd, 6th, 11th, 20th counted move.
  const struct {
    int position, threshold, moves;
  } table[] = {{20, 10, 1}, {19, 10, 2}, {15, 50, 6}, {10, 100, 11}, {1, 190, 20}};
  for (const auto& row : table) {
    TRun r([&](TRWSetting& s) { s.MouseSensitivity = 20 - row.position; });
    EXPECT_EQ(MovesToClose(*r.run), row.moves) << "position " << row.position;
    // Moves one pixel short of the threshold, in both axes at once, are never counted.
    TRun small([&](TRWSetting& s) { s.MouseSensitivity = 20 - row.position; });
    small.run->pbShowMouseMove(400, 300);
    for (int i = 0; i < 40; ++i) small.run->pbShowMouseMove(400 + row.threshold - 1, 300 + row.threshold - 1);
    EXPECT_FALSE(small.run->Closing()) << "position " << row.position;
    EXPECT_EQ(small.run->FMoves.moves, 0);
  }
  // Sensitivity 0: 10 pixels in X alone close; 9 and 9 do not.
  TRun ten([](TRWSetting& s) { s.MouseSensitivity = 0; });
  ten.run->pbShowMouseMove(100, 100);
  ten.run->pbShowMouseMove(109, 109);
  EXPECT_FALSE(ten.run->Closing());
  ten.run->pbShowMouseMove(110, 100);
  EXPECT_TRUE(ten.run->Closing());
  // Sensitivity 5: once 50 pixels away, every further event counts, however small.
  TRun five([](TRWSetting& s) { s.MouseSensitivity = 5; });
  five.run->pbShowMouseMove(100, 100);
  for (int i = 0; i < 5; ++i) five.run->pbShowMouseMove(160 + i, 100);
  EXPECT_FALSE(five.run->Closing());
  five.run->pbShowMouseMove(161, 100);
  EXPECT_TRUE(five.run->Closing());
}

TEST(CloseEvents, MenuModeClicksAndKeys) {
  // Menu mode: no move closes, and the right button opens the menu instead of closing.
  TRun menu([](TRWSetting& s) { s.MouseSensitivity = 0; }, 1);
  EXPECT_EQ(MovesToClose(*menu.run), -1);
  menu.run->pbShowMouseDown(Qt::RightButton, QPoint(5, 5));
  EXPECT_FALSE(menu.run->Closing());
  EXPECT_TRUE(menu.run->pm.isVisible());
  menu.run->pm.hide();
  menu.run->FormShow();  // the show gives no menu texts: the items keep their own captions
  EXPECT_EQ(menu.run->Setting1->text(), "Setting");
  EXPECT_EQ(menu.run->Close1->text(), "Stop");
  menu.run->pbShowMouseDown(Qt::LeftButton, QPoint(5, 5));  // the left click is off by default
  EXPECT_FALSE(menu.run->Closing());
  TRun right([](TRWSetting&) {});
  right.run->pbShowMouseDown(Qt::RightButton, QPoint(5, 5));
  EXPECT_TRUE(right.run->Closing());
  TRun middle([](TRWSetting& s) { s.CloseOnLeftClick = true; });
  middle.run->pbShowMouseDown(Qt::MiddleButton, QPoint(5, 5));
  EXPECT_FALSE(middle.run->Closing());
  middle.run->pbShowMouseDown(Qt::LeftButton, QPoint(5, 5));
  EXPECT_TRUE(middle.run->Closing());
  TRun twice([](TRWSetting&) {});
  twice.run->pbShowDblClick();
  EXPECT_TRUE(twice.run->Closing());

  TRun esc([](TRWSetting&) {});
  esc.run->FormKeyDown(Qt::Key_Space);
  EXPECT_FALSE(esc.run->Closing());
  esc.run->FormKeyDown(Qt::Key_Escape);
  EXPECT_TRUE(esc.run->Closing());
  TRun enter([](TRWSetting& s) { s.CloseOnEsc = false; });
  enter.run->FormKeyDown(Qt::Key_Escape);
  EXPECT_FALSE(enter.run->Closing());
  enter.run->FormKeyDown(Qt::Key_Enter);  // the keypad's Enter too
  EXPECT_TRUE(enter.run->Closing());
  // The specified key: exactly, case counting; a two-character key never matches.
  TRun key([](TRWSetting& s) {
    s.CloseOnKey = true;
    s.CloseKey = "a";
  });
  key.run->FormKeyPress("A");
  EXPECT_FALSE(key.run->Closing());
  key.run->FormKeyPress("a");
  EXPECT_TRUE(key.run->Closing());
  TRun two([](TRWSetting& s) {
    s.CloseOnKey = true;
    s.CloseKey = "ab";
  });
  two.run->FormKeyPress("a");
  two.run->FormKeyPress("ab");
  EXPECT_FALSE(two.run->Closing());
  TRun off([](TRWSetting& s) { s.CloseKey = "a"; });  // "Specified Key" off
  off.run->FormKeyPress("a");
  EXPECT_FALSE(off.run->Closing());
}

TEST(CloseEvents, PasswordGuardsTheClose) {
  EXPECT_TRUE(PasswordMatches("SeCrEt", "secret"));
  EXPECT_FALSE(PasswordMatches("secret ", "secret"));
  EXPECT_FALSE(PasswordMatches(QString::fromUtf8("\xc3\xa9t\xc3\xa9"), QString::fromUtf8("\xc3\x89T\xc3\x89")));  // only ASCII letters fold
  auto guarded = [](TRWSetting& s) {
    s.PasswordEnabled = true;
    s.Password = "Open Sesame";
  };
  {
    TPrompt wrong("open sesam");
    TRun r(guarded);
    r.run->FormKeyDown(Qt::Key_Escape);
    EXPECT_EQ(wrong.asked, 1);
    EXPECT_FALSE(r.run->Closing());  // the show goes on
    EXPECT_FALSE(r.show->DialogOpen());
  }
  {
    TPrompt cancel("Open Sesame", false);
    TRun r(guarded);
    r.run->FormKeyDown(Qt::Key_Escape);
    EXPECT_FALSE(r.run->Closing());
  }
  {
    TPrompt right("OPEN SESAME");
    TRun r(guarded);
    r.run->FormKeyDown(Qt::Key_Escape);
    EXPECT_TRUE(r.run->Closing());
  }
  {
    // While the prompt is open, moves and clicks do nothing.
    TRun r([](TRWSetting& s) {
      s.PasswordEnabled = true;
      s.Password = "x";
      s.CloseOnLeftClick = true;
    });
    int asked = 0;
    SetPasswordPromptForTesting([&](QString& typed) {
      ++asked;
      EXPECT_TRUE(r.show->DialogOpen());
      r.run->pbShowMouseDown(Qt::LeftButton, QPoint());
      r.run->pbShowMouseMove(10, 10);
      r.run->pbShowMouseMove(700, 500);
      typed = "wrong";
      return true;
    });
    r.run->FormKeyDown(Qt::Key_Escape);
    SetPasswordPromptForTesting({});
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(r.run->Closing());
    EXPECT_FALSE(r.show->DialogOpen());
  }
}

TEST(CloseEvents, MaximumRunTime) {
  // 0 minutes means 60 seconds at the start.
  TRun r([](TRWSetting& s) {
    s.UseMaxRunTime = true;
    s.MaxRunMinutes = 0;
  });
  EXPECT_EQ(r.run->Show().FRunSecondsLeft, 60);
  EXPECT_TRUE(r.run->Show().MaxRuntime.isActive());
  for (int i = 0; i < 59; ++i) r.run->Show().MaxRuntimeTimer();
  EXPECT_FALSE(r.run->Closing());
  r.run->Show().MaxRuntimeTimer();
  EXPECT_TRUE(r.run->Closing());
  EXPECT_FALSE(r.run->Show().MaxRuntime.isActive());

  // After a reload that stores 0 minutes, the next tick ends the show.
  TRun reload([](TRWSetting& s) {
    s.UseMaxRunTime = false;
    s.MaxRunMinutes = 5;
  });
  EXPECT_FALSE(reload.run->Show().MaxRuntime.isActive());
  TRWSetting stored(reload.project->ProjectName);
  stored.UseMaxRunTime = true;
  stored.MaxRunMinutes = 0;
  ASSERT_TRUE(stored.Save());
  SendMessage(&reload.run->Show(), WM_SETTINGS_RELOAD);
  EXPECT_EQ(reload.run->Show().FRunSecondsLeft, 0);
  EXPECT_TRUE(reload.run->Show().MaxRuntime.isActive());
  reload.run->Show().MaxRuntimeTimer();
  EXPECT_TRUE(reload.run->Closing());

  // Refused by the password when the time runs out: the show goes on and does not ask again.
  TPrompt wrong("nope");
  TRun guarded([](TRWSetting& s) {
    s.UseMaxRunTime = true;
    s.MaxRunMinutes = 1;
    s.PasswordEnabled = true;
    s.Password = "x";
  });
  guarded.run->Show().FRunSecondsLeft = 1;
  guarded.run->Show().MaxRuntimeTimer();
  EXPECT_FALSE(guarded.run->Closing());
  EXPECT_FALSE(guarded.run->Show().MaxRuntime.isActive());
  EXPECT_FALSE(guarded.run->Show().FRunning);
  EXPECT_EQ(wrong.asked, 1);
}

TEST(CloseEvents, NothingClosesAPreview) {
  TPrompt never("");
  TRun r(
      [](TRWSetting& s) {
        s.MouseSensitivity = 0;
        s.CloseOnLeftClick = true;
        s.CloseOnKey = true;
        s.CloseKey = "q";
        s.PasswordEnabled = true;
      },
      0, true);
  EXPECT_EQ(MovesToClose(*r.run), -1);
  r.run->pbShowMouseDown(Qt::LeftButton, QPoint());
  r.run->pbShowMouseDown(Qt::RightButton, QPoint());
  r.run->pbShowDblClick();
  r.run->FormKeyDown(Qt::Key_Escape);
  r.run->FormKeyDown(Qt::Key_Return);
  r.run->FormKeyPress("q");
  EXPECT_FALSE(r.run->Closing());
  EXPECT_EQ(never.asked, 0);
  EXPECT_TRUE(r.run->Show().FormCloseQuery());  // and no password is asked of a preview
  EXPECT_EQ(never.asked, 0);
  EXPECT_FALSE(r.run->CursorHidden());
}

TEST(CloseEvents, OnlyALeftDoubleClickIsTheDoubleClickEvent) {
  // With "Mouse Right Click" off, a right or middle double click does not end the show; a left
  // one does.
  auto doubleClick = [](TfRun& run, Qt::MouseButton button) {
    QWidget* surface = run.findChild<QWidget*>("pbShow");
    ASSERT_NE(surface, nullptr);
    QMouseEvent e(QEvent::MouseButtonDblClick, QPointF(20, 20), QPointF(20, 20), button, button, Qt::NoModifier);
    QCoreApplication::sendEvent(surface, &e);
  };
  for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
    TRun r([](TRWSetting& s) { s.CloseOnRightClick = false; });
    doubleClick(*r.run, button);
    EXPECT_FALSE(r.run->Closing()) << button;
  }
  TRun left([](TRWSetting& s) { s.CloseOnRightClick = false; });
  doubleClick(*left.run, Qt::LeftButton);
  EXPECT_TRUE(left.run->Closing());
  TRun off([](TRWSetting& s) { s.CloseOnDoubleClick = false; });
  doubleClick(*off.run, Qt::LeftButton);
  EXPECT_FALSE(off.run->Closing());
}

TEST(CloseEvents, ThePromptShowsStarsUnderItsOwnCaption) {
  TfGetpassword prompt;
  EXPECT_EQ(prompt.windowTitle(), "Screensaver Password");
  ASSERT_NE(prompt.Caption, nullptr);
  EXPECT_EQ(prompt.Caption->text(), "Screensaver Password");
  EXPECT_TRUE(prompt.windowFlags() & Qt::WindowStaysOnTopHint);
  QStyleOptionFrame option;
  option.initFrom(prompt.edtpassword);
  EXPECT_EQ(prompt.edtpassword->echoMode(), QLineEdit::Password);
  EXPECT_EQ(prompt.edtpassword->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, &option, prompt.edtpassword), '*');
}

TEST(CloseEvents, DamagedKeyOnReloadShowsItsMessageAndTheShowGoesOn) {
  QStringList messages;
  SetMessageSink([&](const QString& m) { messages << m; });
  TRun r([](TRWSetting& s) {
    s.UseMaxRunTime = false;
    s.MaxRunMinutes = 5;
  });
  // The key as another program left it: "Mouse Sensitivity" as a text.
  TRWSetting stored(r.project->ProjectName);
  stored.UseMaxRunTime = true;
  stored.MaxRunMinutes = 3;
  stored.Password = "before the fault";
  ASSERT_TRUE(stored.Save());
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(stored.SubKey(), false));
    reg.WriteString("Mouse Sensitivity", "high");
    ASSERT_TRUE(reg.CloseKey());
  }
  ASSERT_NO_THROW(SendMessage(&r.run->Show(), WM_SETTINGS_RELOAD));
  SetMessageSink({});
  EXPECT_EQ(messages, QStringList{"Invalid data type for 'Mouse Sensitivity'"});
  EXPECT_FALSE(r.run->Closing());
  // The values before the fault were taken, those after it not; the rest of the reload was
  // done with them.
  EXPECT_EQ(r.settings->Password, "before the fault");
  EXPECT_FALSE(r.settings->UseMaxRunTime);
  EXPECT_EQ(r.run->Show().FRunSecondsLeft, 5 * 60);
  EXPECT_FALSE(r.run->Show().MaxRuntime.isActive());
}
