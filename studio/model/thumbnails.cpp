#include "studio/model/thumbnails.h"

#include <QFile>
#include <QMetaObject>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "container/picture.h"
#include "player/slidemath.h"
#include "swf/movie.h"
#include "swf/player.h"

namespace sf {

namespace {

// Shrinks to the box: first by halves without smoothing (fast, and a large picture loses nothing
// that the last step would keep), then smoothly to the size.
QImage Fitted(const QImage& picture, QSize box) {
  if (box.isEmpty()) return picture;
  const QSize size = FitRule(picture.size(), box);
  if (size == picture.size()) return picture;
  QImage step = picture;
  while (step.width() >= 4 * size.width() && step.height() >= 4 * size.height())
    step = step.scaled(step.width() / 2, step.height() / 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  return step.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

TMediumPicture DecodeMedium(const QString& path, QSize box) {
  TMediumPicture m;
  m.role = FileRoleByName(path);
  try {
    if (m.role == TFileRole::Movie) {
      const auto movie = swf::TSwfMovie::LoadFile(path);
      if (movie->FrameCount() <= 0) {
        m.error = "the movie has no frames";
        return m;
      }
      m.size = movie->StageSize();
      m.image = Fitted(swf::RenderFrame(movie, 0), box);
      return m;
    }
    if (m.role != TFileRole::Picture) return m;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
      m.error = "cannot read it: " + file.errorString();
      return m;
    }
    QImage picture;
    const int32_t code = FormatFromExtension(path);
    if (!LoadPictureStream(file.readAll(), picture, code) || picture.isNull()) {
      m.error = QString("no decoder reads format %1").arg(code);
      return m;
    }
    m.size = picture.size();
    m.image = Fitted(picture.convertToFormat(QImage::Format_RGB32), box);
  } catch (const std::exception& e) {  // the decoder's reason, or no memory for the picture
    m.error = QString::fromStdString(e.what());
    m.image = QImage();
  }
  return m;
}

TPictureLoader::TPictureLoader(QSize box, int threads, QObject* parent) : QObject(parent), box_(box) {
  pool_.setMaxThreadCount(threads > 0 ? threads : QThread::idealThreadCount());
}

TPictureLoader::~TPictureLoader() {
  pool_.clear();
  pool_.waitForDone();
}

const TMediumPicture* TPictureLoader::Get(const QString& path) {
  if (auto it = ready_.constFind(path); it != ready_.constEnd()) return it->get();
  Request(path);
  return nullptr;
}

void TPictureLoader::Request(const QString& path) {
  if (path.isEmpty() || ready_.contains(path) || pending_.contains(path)) return;
  pending_.insert(path, true);
  ++asked_;
  emit Progress(done_, asked_);
  const quint64 generation = generation_;
  const QSize box = box_;
  pool_.start([this, generation, path, box] {
    // Decoding is background work: the pool's threads give way to the window's (nice 10), so
    // that a key press is answered at once however many pictures wait.
    static thread_local const bool lowered = setpriority(PRIO_PROCESS, pid_t(syscall(SYS_gettid)), 10) == 0;
    (void)lowered;
    TMediumPicture picture = DecodeMedium(path, box);
    QMetaObject::invokeMethod(
        this, [this, generation, path, picture = std::move(picture)]() mutable { Deliver(generation, path, std::move(picture)); },
        Qt::QueuedConnection);
  });
}

void TPictureLoader::Deliver(quint64 generation, const QString& path, TMediumPicture picture) {
  if (generation != generation_) return;  // asked for before Clear
  pending_.remove(path);
  ready_.insert(path, std::make_shared<TMediumPicture>(std::move(picture)));
  if (limit_ > 0) {
    order_ << path;
    while (order_.size() > limit_) ready_.remove(order_.takeFirst());
  }
  ++done_;
  if (done_ == asked_) done_ = asked_ = 0;
  emit Ready(path);
  emit Progress(done_, asked_);
}

void TPictureLoader::Clear() {
  pool_.clear();
  ++generation_;
  ready_.clear();
  pending_.clear();
  order_.clear();
  done_ = asked_ = 0;
  emit Progress(0, 0);
}

}  // namespace sf
