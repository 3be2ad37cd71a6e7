#include "settings/rwsetting.h"

#include "container/pictureinfo.h"
#include "platform/registry.h"

namespace sf {

QString TRWSetting::SubKeyFor(const QString& projectName) {
  qsizetype nameStart = 0;
  for (qsizetype i = 0; i < projectName.size(); ++i)
    if (projectName[i] == '\\' || projectName[i] == '/' || projectName[i] == ':') nameStart = i + 1;
  qsizetype dot = projectName.lastIndexOf('.');
  QString name = dot >= nameStart ? projectName.left(dot) : projectName;
  return "Software\\Quillmoor\\" + name;
}

TRWSetting::TRWSetting(const QString& projectName)
    : Transitions(AllEffectsList()), sub_key_(SubKeyFor(projectName)) {}

bool TRWSetting::Load() {
  error_.clear();
  TRegistry reg;
  if (!reg.OpenKey(sub_key_, false)) {
    error_ = reg.LastError();
    return false;
  }
  // A key written by another version may lack a value: a boolean or an integer keeps what it
  // holds (the default, on the first load), a text reads as empty.
  struct Reader {
    TRegistry& reg;
    void operator()(const char* name, bool& v) {
      if (reg.ValueExists(name)) v = reg.ReadBool(name);
    }
    void operator()(const char* name, int32_t& v) {
      if (reg.ValueExists(name)) v = reg.ReadInteger(name);
    }
    void operator()(const char* name, QString& v) { v = reg.ValueExists(name) ? reg.ReadString(name) : QString(); }
  };
  ForEachValue(*this, Reader{reg});
  reg.CloseKey();
  return true;
}

bool TRWSetting::Save() const {
  error_.clear();
  TRegistry reg;
  if (!reg.OpenKey(sub_key_, true)) {
    error_ = reg.LastError();
    return false;
  }
  struct Writer {
    TRegistry& reg;
    void operator()(const char* name, const bool& v) { reg.WriteBool(name, v); }
    void operator()(const char* name, const int32_t& v) { reg.WriteInteger(name, v); }
    void operator()(const char* name, const QString& v) { reg.WriteString(name, v); }
  };
  ForEachValue(*this, Writer{reg});
  if (!reg.CloseKey()) {
    error_ = reg.LastError();
    return false;
  }
  return true;
}

}  // namespace sf
