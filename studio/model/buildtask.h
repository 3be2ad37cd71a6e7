// Writing a show file off the event loop: the document packed behind the player on a thread of
// its own, its progress and its end told on the loop's thread, stoppable at any time. The
// output is written whole or not at all (Pack), so a build that fails or is stopped leaves an
// older show file as it was.
#pragma once

#include <QObject>
#include <QString>
#include <QThread>
#include <atomic>
#include <memory>

#include "authoring/document.h"
#include "authoring/result.h"

namespace sf {

class TBuildTask : public QObject {
  Q_OBJECT

 public:
  // A copy of the document is packed, so that edits made meanwhile do not reach this build.
  TBuildTask(const TShowDocument& document, const QString& player, const QString& output, QObject* parent = nullptr);
  ~TBuildTask() override;  // stops the build and waits for its thread

  void Start();
  // Asks the build to stop; Finished then tells a cancelled result.
  void Cancel() { cancel_ = true; }
  const QString& Output() const { return output_; }

 signals:
  // Media bytes copied of the total.
  void Progress(qint64 done, qint64 total);
  void Finished(const sf::TResult& result);

 private:
  TShowDocument document_;
  QString player_, output_;
  std::atomic<bool> cancel_{false};
  std::unique_ptr<QThread> thread_;
};

}  // namespace sf
