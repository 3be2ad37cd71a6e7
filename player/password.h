// The password prompt of the closing and of the "Setting" item, and the password check.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <functional>

namespace sf {

class TRWSetting;

class TfGetpassword : public QDialog {
  Q_OBJECT

 public:
  explicit TfGetpassword(QWidget* parent = nullptr);
  QLineEdit* edtpassword = nullptr;
  // The caption bar the prompt draws itself: it bypasses the window manager to stand over the
  // show, so no manager would draw one.
  QLabel* Caption = nullptr;

 protected:
  // Takes the keyboard when it appears: the prompt is typed into at once.
  void showEvent(QShowEvent* event) override;
};

// Shows the prompt modally; true and the text typed when it ended with OK.
bool AskPassword(QString& typed);
// Tests answer the prompt instead of a person: the function gets the text typed, and gives
// false for Cancel. An empty function restores the prompt.
void SetPasswordPromptForTesting(std::function<bool(QString&)> prompt);

// True when the password is not enabled, or the prompt ended with OK and the text typed equals
// the stored password with ASCII letters compared without regard to case.
bool PasswordCheck(const TRWSetting& settings);
// The comparison alone: both upper-cased (ASCII letters only), then equal.
bool PasswordMatches(const QString& typed, const QString& stored);

}  // namespace sf
