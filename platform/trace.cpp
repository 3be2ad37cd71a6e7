#include "platform/trace.h"

#include <QByteArray>
#include <QList>
#include <cstdarg>
#include <cstdio>

namespace sf {

bool Traced(const char* topic) {
  static const QList<QByteArray> topics = [] {
    QList<QByteArray> list;
    for (const QByteArray& t : qgetenv("SHOWFORGE_TRACE").split(',')) list << t.trimmed().toLower();
    return list;
  }();
  return topics.contains("1") || topics.contains("all") || topics.contains(QByteArray(topic));
}

void Trace(const char* topic, const char* format, ...) {
  if (!Traced(topic)) return;
  char line[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  std::fprintf(stderr, "%s: %s\n", topic, line);
}

}  // namespace sf
