#include "studio/model/buildtask.h"

#include <QMetaObject>

#include "authoring/pack.h"

namespace sf {

TBuildTask::TBuildTask(const TShowDocument& document, const QString& player, const QString& output, QObject* parent)
    : QObject(parent), document_(document), player_(player), output_(output) {}

TBuildTask::~TBuildTask() {
  cancel_ = true;
  if (thread_) thread_->wait();
}

void TBuildTask::Start() {
  thread_.reset(QThread::create([this] {
    // Progress is told at most once a percent, so that the loop is not flooded.
    int lastPercent = -1;
    const TResult result = Pack(document_, player_, output_, [this, &lastPercent](int64_t done, int64_t total) {
      const int percent = total > 0 ? int(done * 100 / total) : 100;
      if (percent != lastPercent) {
        lastPercent = percent;
        QMetaObject::invokeMethod(this, [this, done, total] { emit Progress(done, total); }, Qt::QueuedConnection);
      }
      return !cancel_.load();
    });
    QMetaObject::invokeMethod(this, [this, result] { emit Finished(result); }, Qt::QueuedConnection);
  }));
  thread_->start();
}

}  // namespace sf
