// The registry store: typed keys and values kept in REGEDIT4 text files, one file per key.
//
// The key "A\B\C" of HKEY_LOCAL_MACHINE is the file ROOT/HKEY_LOCAL_MACHINE/A/B/C.reg, where ROOT
// is $SHOWFORGE_REGISTRY_DIR, else $XDG_CONFIG_HOME/showforge/registry (~/.config when unset).
// Each part of a key name is mapped to a safe file name, so that no name reaches outside that
// folder. A key is written whole to a temporary file that is then renamed over the old one, so a
// crash never leaves half a key. Such a file imports into the Windows registry as it is.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sf {

class ERegistryException : public std::runtime_error {
 public:
  explicit ERegistryException(const QString& message) : std::runtime_error(message.toStdString()) {}
};

enum class TRegDataType { String, Integer, Other };

struct TRegValue {
  QString name;
  TRegDataType type = TRegDataType::String;
  QString text;        // String
  int32_t number = 0;  // Integer (a dword, read as signed)
  QString raw;         // Other: the data as the file gives it, written back unchanged
};

// The values of one key in file order. Parsing gives false with a message naming the line
// for any text that is not a REGEDIT4 key file.
bool ParseRegText(std::string_view bytes, std::vector<TRegValue>& values, QString& error);
std::string FormatRegText(const QString& keyPath, const std::vector<TRegValue>& values);

// The file name that stands for one part of a key name.
QString SafeKeyFileName(const QString& part);

class TRegistry {
 public:
  TRegistry() = default;
  ~TRegistry();

  static QString RootFolder();
  QString KeyFile(const QString& key) const;

  bool KeyExists(const QString& key) const;
  // Opens the key, reading its file; with canCreate a missing key is made (its file is written
  // when the key is closed). False when the key is missing and may not be made, or when its file
  // cannot be read; LastError() then tells why (empty for a missing key). With canCreate a file
  // that is not a key file is replaced by the new key when it is closed, and kept beside it as
  // NAME.reg.damaged.
  bool OpenKey(const QString& key, bool canCreate);
  // Writes a changed key and closes it; false when the key could not be written.
  bool CloseKey();
  const QString& LastError() const { return error_; }

  bool ValueExists(const QString& name) const;
  // "Failed to get data for '%s'" when missing, "Invalid data type for '%s'" when not a dword.
  int32_t ReadInteger(const QString& name) const;
  bool ReadBool(const QString& name) const { return ReadInteger(name) != 0; }
  // Empty when missing; "Invalid data type for '%s'" when not a string.
  QString ReadString(const QString& name) const;

  void WriteInteger(const QString& name, int32_t value);
  void WriteBool(const QString& name, bool value) { WriteInteger(name, value ? 1 : 0); }
  void WriteString(const QString& name, const QString& value);

 private:
  const TRegValue* Find(const QString& name) const;
  TRegValue& Slot(const QString& name);

  QString key_;
  bool open_ = false;
  bool dirty_ = false;
  bool replace_damaged_ = false;
  std::vector<TRegValue> values_;
  QString error_;
};

// Tests only: called once in the middle of writing a key's temporary file, before it is
// renamed, with the file's descriptor. A hook that ends the process simulates a crash there.
void SetRegistryWriteHookForTesting(std::function<void(int fd)> hook);

}  // namespace sf
