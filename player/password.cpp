#include "player/password.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QCursor>
#include <QScreen>
#include <QVBoxLayout>

#include "platform/termination.h"
#include "platform/widgets.h"
#include "settings/rwsetting.h"

namespace sf {
namespace {

std::function<bool(QString&)>& TestPrompt() {
  static std::function<bool(QString&)> prompt;
  return prompt;
}

// Upper-cases ASCII letters only, as the system's AnsiUpperCase of plain passwords does; other
// characters must match exactly.
QString AsciiUpper(const QString& s) {
  QString out = s;
  for (QChar& c : out)
    if (c >= 'a' && c <= 'z') c = QChar(c.unicode() - 32);
  return out;
}

}  // namespace

// The prompt stands over the full-screen show, which the window manager does not stack: it is
// placed the same way, above it. So that its dialog border and caption are seen with or without
// a window manager, it draws both itself.
TfGetpassword::TfGetpassword(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint) {
  setWindowTitle("Screensaver Password");
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  auto* frame = new QFrame(this);
  frame->setObjectName("Border");
  frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
  frame->setLineWidth(2);
  outer->addWidget(frame);
  auto* layout = new QVBoxLayout(frame);
  layout->setContentsMargins(3, 3, 3, 8);
  Caption = new QLabel(windowTitle(), frame);
  Caption->setObjectName("Caption");
  Caption->setAutoFillBackground(true);
  QPalette bar = Caption->palette();
  bar.setColor(QPalette::Window, QColor(0, 0, 128));  // the system's active caption colours
  bar.setColor(QPalette::WindowText, Qt::white);
  Caption->setPalette(bar);
  QFont bold = Caption->font();
  bold.setBold(true);
  Caption->setFont(bold);
  Caption->setContentsMargins(4, 2, 4, 2);
  layout->addWidget(Caption);
  auto* body = new QVBoxLayout();
  body->setContentsMargins(8, 4, 8, 0);
  auto* label = new QLabel("Please input password:", frame);
  label->setObjectName("Label1");
  edtpassword = new QLineEdit(frame);
  edtpassword->setObjectName("edtpassword");
  SetPasswordChar(edtpassword, '*');
  auto* buttons = new QDialogButtonBox(frame);
  QPushButton* ok = buttons->addButton(QDialogButtonBox::Ok);
  ok->setObjectName("BitBtn1");
  ok->setDefault(true);
  buttons->addButton(QDialogButtonBox::Cancel)->setObjectName("BitBtn2");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  body->addWidget(label);
  body->addWidget(edtpassword);
  body->addWidget(buttons);
  layout->addLayout(body);
  setFixedSize(260, sizeHint().height());
  // Centred on the screen under the pointer: where the user is, when the show covers several.
  QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen != nullptr) move(screen->geometry().center() - rect().center());
}

void TfGetpassword::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  activateWindow();
  raise();
  edtpassword->setFocus();
}

bool AskPassword(QString& typed) {
  if (TestPrompt()) return TestPrompt()(typed);
  if (TerminationRequested()) return false;  // the program is ending: no prompt opens
  TfGetpassword prompt;
  if (prompt.exec() != QDialog::Accepted) return false;
  typed = prompt.edtpassword->text();
  return true;
}

void SetPasswordPromptForTesting(std::function<bool(QString&)> prompt) { TestPrompt() = std::move(prompt); }

bool PasswordMatches(const QString& typed, const QString& stored) { return AsciiUpper(typed) == AsciiUpper(stored); }

bool PasswordCheck(const TRWSetting& settings) {
  if (!settings.PasswordEnabled) return true;
  QString typed;
  return AskPassword(typed) && PasswordMatches(typed, settings.Password);
}

}  // namespace sf
