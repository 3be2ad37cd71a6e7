// The user's own settings for one show, kept in the registry under
// HKEY_LOCAL_MACHINE\Software\Quillmoor\<project name without its extension>.
#pragma once

#include <QString>
#include <cstdint>

namespace sf {

class TRWSetting {
 public:
  explicit TRWSetting(const QString& projectName);

  // Reads the key; false when it does not exist or cannot be read, every field then keeping its
  // value (LastError() tells why a key that exists could not be read). A value of the wrong kind
  // stops the load with ERegistryException ("Invalid data type for '%s'"); the fields read
  // before it keep their new values. A missing boolean or integer keeps the field's value; a
  // missing text reads as empty.
  bool Load();
  // Writes the key, creating it when missing; false when it cannot be written.
  bool Save() const;

  const QString& SubKey() const { return sub_key_; }
  const QString& LastError() const { return error_; }

  // Calls visit(registry value name, field) for the eighteen values in the order in which they
  // are read and written; self is a TRWSetting or a const one.
  template <typename Self, typename Visit>
  static void ForEachValue(Self& self, Visit&& visit);

  // "Software\Quillmoor\" followed by the name with everything from the last "." of its
  // file-name part on removed.
  static QString SubKeyFor(const QString& projectName);

  bool PasswordEnabled = false;
  QString Password;
  int32_t MouseSensitivity = 5;
  bool CloseOnMouseMove = true;
  bool CloseOnLeftClick = false;
  bool CloseOnRightClick = true;
  bool CloseOnDoubleClick = true;
  bool CloseOnEsc = true;
  bool CloseOnEnter = true;
  bool CloseOnKey = false;
  QString CloseKey = "A";
  bool MusicEnabled = true;
  bool UseMaxRunTime = false;
  int32_t MaxRunMinutes = 60;
  QString Transitions;
  bool RandomTransition = true;
  int32_t TransitionSpeed = 25;
  bool UseOwnTransitions = false;

 private:
  QString sub_key_;
  mutable QString error_;
};

template <typename Self, typename Visit>
void TRWSetting::ForEachValue(Self& self, Visit&& visit) {
  visit("Enabled password", self.PasswordEnabled);
  visit("Pwd", self.Password);
  visit("Mouse Sensitivity", self.MouseSensitivity);
  visit("Mouse Move", self.CloseOnMouseMove);
  visit("Mouse Left Click", self.CloseOnLeftClick);
  visit("Mouse Right Click", self.CloseOnRightClick);
  visit("Mouse Double Click", self.CloseOnDoubleClick);
  visit("Esc Key", self.CloseOnEsc);
  visit("Enter Key", self.CloseOnEnter);
  visit("Specified Key", self.CloseOnKey);
  visit("Key Value", self.CloseKey);
  visit("Enabled Music", self.MusicEnabled);
  visit("Use Max Run Time", self.UseMaxRunTime);
  visit("Max Run Time", self.MaxRunMinutes);
  visit("transition", self.Transitions);
  visit("random transition", self.RandomTransition);
  visit("transition speed", self.TransitionSpeed);
  visit("newtransition", self.UseOwnTransitions);
}

}  // namespace sf
