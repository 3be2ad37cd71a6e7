// What an authoring step gives back: success, or what went wrong in words ready to show a person.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <utility>

namespace sf {

struct [[nodiscard]] TResult {
  QString error;           // empty on success
  bool cancelled = false;  // the caller stopped the step through its progress callback

  bool Ok() const { return error.isEmpty(); }
};

inline TResult Failure(QString why) { return {std::move(why), false}; }
inline TResult Cancelled() { return {"cancelled", true}; }

// The progress of a step that copies media: bytes done of the total. Returning false stops the
// step, which then writes nothing and gives Cancelled().
using TProgress = std::function<bool(int64_t done, int64_t total)>;

}  // namespace sf
