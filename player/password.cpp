#include "player/password.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

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
// placed the same way, above it.
TfGetpassword::TfGetpassword(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint) {
  setWindowTitle("Screensaver Password");
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel("Please input password:", this);
  label->setObjectName("Label1");
  edtpassword = new QLineEdit(this);
  edtpassword->setObjectName("edtpassword");
  edtpassword->setEchoMode(QLineEdit::Password);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QDialogButtonBox::Ok);
  ok->setObjectName("BitBtn1");
  ok->setDefault(true);
  buttons->addButton(QDialogButtonBox::Cancel)->setObjectName("BitBtn2");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(label);
  layout->addWidget(edtpassword);
  layout->addWidget(buttons);
  setFixedSize(260, sizeHint().height());
  if (QScreen* screen = QGuiApplication::primaryScreen()) move(screen->geometry().center() - rect().center());
}

void TfGetpassword::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  activateWindow();
  raise();
  edtpassword->setFocus();
}

bool AskPassword(QString& typed) {
  if (TestPrompt()) return TestPrompt()(typed);
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
