#include "player/runwindow.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QBackingStore>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QFile>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "container/projectinfo.h"
#include "platform/random.h"
#include "platform/scratch.h"
#include "platform/tempdir.h"
#include "platform/trace.h"
#include "platform/widgets.h"
#include "platform/x11host.h"
#include "player/flashform.h"
#include "player/messages.h"
#include "player/show.h"
#include "player/slidemath.h"
#include "settings/rwsetting.h"

namespace sf {

const char kDesktopSnapshotName[] = "vromdsk.bmp";

// pbShow: paints the part of the show surface that changed.
class TShowSurface : public QWidget {
 public:
  TShowSurface(TfRun* run, QWidget* parent) : QWidget(parent), run_(run) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
  }

 protected:
  void mouseMoveEvent(QMouseEvent* e) override { run_->pbShowMouseMove(e->position().toPoint().x(), e->position().toPoint().y()); }
  void mousePressEvent(QMouseEvent* e) override { run_->pbShowMouseDown(e->button(), e->globalPosition().toPoint()); }
  void mouseDoubleClickEvent(QMouseEvent* e) override {
    // The second press of a double click is a press too, then the double click, which only the
    // left button makes.
    run_->pbShowMouseDown(e->button(), e->globalPosition().toPoint());
    if (e->button() == Qt::LeftButton && !run_->Closing()) run_->pbShowDblClick();
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    // The surface holds device pixels; on a scaled screen each of them meets one of the window.
    QPainter p(this);
    const QRect r = event->rect();
    const qreal dpr = run_->dpr_;
    p.drawImage(QRectF(r), run_->surface_, QRectF(r.x() * dpr, r.y() * dpr, r.width() * dpr, r.height() * dpr));
    const QRect surface = run_->ToLogical(run_->surface_.rect());
    for (const QRect& outside : QRegion(r).subtracted(QRegion(surface)))  // beyond the surface
      p.fillRect(outside, Qt::black);
    if (!run_->firstFrameShown_ && run_->ticks_ > 0) run_->FirstFrameShown();
  }

 private:
  TfRun* run_;
};

TfRun::TfRun(TShow& show, const TRunSetup& setup, std::optional<uint32_t> seed)
    : QWidget(nullptr, Qt::FramelessWindowHint),
      ShowTimer([this] { ShowTimerTimer(); }, show.Clock()),
      SelectTimer([this] { SelectTimerTimer(); }, show.Clock()),
      show_(show),
      project_(show.Project()),
      settings_(show.Settings()),
      setup_(setup),
      prep_(project_, TSlideStyle::Of(project_)),
      plBK(new QWidget(this)),
      pbShow(new TShowSurface(this, plBK)),
      video_(plBK, {[this](QRect r) { return ToLogical(r); }, [this] { SelectTimer.start(); },  // with the interval it was last given
                    [this](Qt::MouseButton b, QPoint at) { displaypanelMouseDown(b, at); }},
             show.Clock()) {
  trace_ = Traced("show");
  if (seed) random_.Seed(*seed);
  else random_.Randomize();
  // Under a scale factor (QT_SCALE_FACTOR, Xft.dpi) the show is composed in device pixels: the
  // effects run at the screen's resolution and a picture at its original size keeps one pixel
  // a device pixel. Widgets are placed in Qt's scaled units.
  if (setup_.onScreen)
    if (const QScreen* screen = Screen()) dpr_ = screen->devicePixelRatio();
  plBK->setAutoFillBackground(false);
  pbShow->setObjectName("pbShow");
  Setting1 = pm.addAction("Setting");
  Close1 = pm.addAction("Stop");
  connect(Setting1, &QAction::triggered, this, &TfRun::Setting1Click);
  connect(Close1, &QAction::triggered, this, &TfRun::Close1Click);
  setFocusPolicy(Qt::StrongFocus);
  ShowTimer.setInterval(10);
  SelectTimer.setInterval(1000);
  FormCreate();
}

QScreen* TfRun::Screen() const { return setup_.screen != nullptr ? setup_.screen : QGuiApplication::primaryScreen(); }

bool TfRun::Closing() const { return show_.Closing(); }

void TfRun::FormCreate() {
  FCurrent = -1;
  FFirstShow = true;
  // Run-state initialisation. The window manager's close request is answered in closeEvent.
  if (settings_.UseOwnTransitions) FUserEffects.Fill(settings_.Transitions);
  if (setup_.onScreen) WarmFonts();
  FMoves = {};
  FSlides.clear();
  FBackgrounds.clear();
  FFlashShowing = false;
  FFlashStartFrame = 0;
  FStarted = false;
  FSlideCount = 0;
  // The desktop as it was is taken only for a show that may lay it behind a slide: a grab of
  // the whole screen and its file cost more than the rest of the start together.
  if (setup_.onScreen && std::any_of(project_.Slides.begin(), project_.Slides.end(), [](const TPictureInfo& r) {
        return !r.IsBackgroundPicture && MayPickChoice(r.BackgroundKinds, 1) && MayPickChoice(r.BackgroundPictureSources, 0);
      }))
    TakeDesktopSnapshot();
  if (setup_.preview) PreviewSetup();
  else FullScreenSetup();
  if (setup_.onScreen) PrefaultBackingStore();
}

void TfRun::PrefaultBackingStore() {
  // The window's backing store is allocated now, at the window's size, and its pages are touched
  // on another core while the first slide is prepared: its first paint, the first frame, would
  // otherwise fault in a screen's worth of shared memory page by page (some 2,000 faults, 20 to
  // 50 ms here). Qt paints into it only once the window is exposed, after showEvent, which
  // waits for the touching; so do the show's end and the destructor.
  winId();
  QBackingStore* store = backingStore();
  if (store == nullptr || size().isEmpty()) return;
  store->resize(size());
  store->beginPaint(QRegion(rect()));
  if (auto* image = dynamic_cast<QImage*>(store->paintDevice())) backingTouch_.Begin(image->bits(), size_t(image->sizeInBytes()));
  store->endPaint();
}

void TfRun::WarmFonts() {
  // The caption and text fonts of the first slide are resolved on a thread of their own from
  // the moment the slide records are read, while the window is made and the first picture
  // decoded: the first use of a font reads the font database and the font's file (some 15 ms
  // here), before the first frame. Only that slide's fonts: the thread holds the font database
  // while it resolves one, and the first slide's caption waited for the fonts of the slides
  // after it; theirs are resolved when those slides come. In random order the first slide is
  // not chosen yet, and the first in project order is the guess. Each font is made there from
  // its description, so that no font object is shared between the threads.
  std::vector<std::pair<TFontSpec, QString>> fonts;
  const auto first = std::find_if(project_.Slides.begin(), project_.Slides.end(),
                                  [](const TPictureInfo& slide) { return !slide.IsBackgroundPicture; });
  if (first != project_.Slides.end() && first->SlideKind == 0) {
    if (first->ShowCaption && !first->Caption.isEmpty()) fonts.emplace_back(first->CaptionFont, first->Caption);
    if (first->ShowText && !first->Text.isEmpty()) fonts.emplace_back(first->TextFont, first->Text);
  }
  if (fonts.empty()) return;
  fontWarmer_ = std::thread([fonts = std::move(fonts), scale = dpr_] {
    for (const auto& [spec, text] : fonts) QFontMetrics(FontFromSpec(spec, scale)).horizontalAdvance(text);
  });
}

void TfRun::JoinStartHelpers() {
  backingTouch_.Wait();
  if (fontWarmer_.joinable()) fontWarmer_.join();
}

void TfRun::TakeDesktopSnapshot() {
  const QString dir = PrivateTempDir();
  QScreen* screen = Screen();
  if (dir.isEmpty() || screen == nullptr) return;
  const QImage desktop = screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
  // The file is the primary screen's; the other screens hold theirs only.
  if (!desktop.isNull() && screen == QGuiApplication::primaryScreen())
    wroteSnapshot_ = desktop.save(dir + kDesktopSnapshotName, "BMP");
  prep_.SetDesktop(desktop);  // held, rather than read back from its file
}

void TfRun::SplitRecords() {
  for (TPictureInfo& record : project_.Slides) (record.IsBackgroundPicture ? FBackgrounds : FSlides).push_back(&record);
  FSlideCount = int32_t(FSlides.size());
  FSlideEffects.assign(FSlides.size(), TQrxArray());
  missing_.assign(FSlides.size(), false);
  for (size_t i = 0; i < FSlides.size(); ++i) FSlideEffects[i].Fill(FSlides[i]->EffectList);
  prep_.SetRecords({{FSlides.begin(), FSlides.end()}, {FBackgrounds.begin(), FBackgrounds.end()}});
}

void TfRun::FullScreenSetup() {
  QScreen* screen = Screen();
  const QSize area = !setup_.showArea.isEmpty() ? setup_.showArea
                     : screen ? (QSizeF(screen->size()) * dpr_).toSize()
                              : QSize(640, 480);
  FShowWidth = area.width();
  FShowHeight = area.height();
  FPreview = false;
  // On top, without a task-bar entry, over the whole screen: the geometry is set before the
  // window is shown (a window manager that is not there cannot make it full screen).
  setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint | Qt::Tool);
  setGeometry(ToLogical(QRect(0, 0, FShowWidth, FShowHeight)).translated(screen ? screen->geometry().topLeft() : QPoint()));
  SplitRecords();
  FormResize();
}

void TfRun::PreviewSetup() {
  QSize area = setup_.showArea;
  if (area.isEmpty()) area = X11WindowSize(setup_.hostWindow);
  FShowWidth = area.width();
  FShowHeight = area.height();
  // A host as large as a screen (a saver window, the root) gets the show as the full screen
  // shows it; a small one (a settings dialog's preview) gets the preview's layout.
  FPreview = !setup_.screenHost;
  FHosted = true;
  if (project_.MenuMode == 0) Setting1->setVisible(false);
  if (setup_.onScreen) {
    // A child of the host window, filling it, following its size and ending with it.
    winId();
    if (QWindow* host = QWindow::fromWinId(WId(setup_.hostWindow))) windowHandle()->setParent(host);
    host_ = std::make_unique<TX11HostWatch>(setup_.hostWindow);
    connect(host_.get(), &TX11HostWatch::Resized, this, [this](QSize size) {
      if (size.isEmpty() || size == QSize(FShowWidth, FShowHeight)) return;
      FShowWidth = size.width();
      FShowHeight = size.height();
      setGeometry(ToLogical(QRect(0, 0, FShowWidth, FShowHeight)));
      FormResize();
    });
    connect(host_.get(), &TX11HostWatch::Gone, this, [this] { show_.EndShow(); });
    if (!host_->Valid()) QTimer::singleShot(0, this, [this] { show_.EndShow(); });  // no host: nothing to show in
  }
  setGeometry(ToLogical(QRect(0, 0, FShowWidth, FShowHeight)));
  plBK->setGeometry(ToLogical(QRect(0, 0, FShowWidth, FShowHeight)));
  SplitRecords();
  FormResize();
}

void TfRun::FormResize() {
  // The background and the surface keep what they hold where the new size overlaps; a preview
  // whose host changed its size shows what it showed scaled to the new size until the next slide
  // is composed for it.
  prep_.SetArea(Area());
  if (surface_.size() != QSize(FShowWidth, FShowHeight)) surface_ = ResizedKeeping(surface_, QSize(FShowWidth, FShowHeight), FPreview);
  plBK->setGeometry(ToLogical(QRect(0, 0, FShowWidth, FShowHeight)));
  pbShow->setGeometry(ToLogical(QRect(0, 0, FShowWidth, FShowHeight)));
  pbShow->update();
}

void TfRun::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!FHosted && setup_.onScreen) {
    activateWindow();  // the keys of the close events come to the show
    setFocus();
  }
  FormShow();
  backingTouch_.Wait();  // before the window is exposed and painted
}

void TfRun::FormShow() {
  // A show that gives no menu texts keeps the items' own captions: a blank item cannot be told
  // from the other.
  if (!project_.Texts[stMenuSetting].isEmpty()) Setting1->setText(project_.Texts[stMenuSetting]);
  if (!project_.Texts[stMenuStop].isEmpty()) Close1->setText(project_.Texts[stMenuStop]);
  bool firstStep = false;
  if (!FStarted) {
    SelectTimerTimer();
    FStarted = true;
    // No transition runs (a video or flash slide, or nothing to show): what is there now is
    // the first frame.
    if (!ShowTimer.isActive()) show_.FirstFrameShown();
    else firstStep = true;
  }
  if (!FPreview && FFirstShow && project_.ScreenTransitionMode == 1) {
    FFirstShow = false;
    canvas_.FillRect(QRect(0, 0, FShowWidth, FShowHeight), 0);
    Repaint();
  }
  // The first slide's first step comes as soon as the loop runs, to be painted as the window
  // first shows, rather than a tick later: the first frame comes a tick sooner. The steps after
  // keep their tick.
  if (firstStep && ShowTimer.isActive()) ShowTimer.start(0);
}

void TfRun::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  plBK->setGeometry(rect());
  pbShow->setGeometry(rect());
}

void TfRun::closeEvent(QCloseEvent* event) {
  // Only the show's own close events end it; the window manager's close request is ignored.
  if (!Closing()) {
    event->ignore();
    return;
  }
  FStarted = false;
  QWidget::closeEvent(event);
}

void TfRun::CloseShow() { show_.CloseShow(); }

void TfRun::Stop() {
  JoinStartHelpers();
  ShowTimer.stop();
  engine_.Abandon();  // a transition under way lets go of its effect's thread and planes
  SelectTimer.stop();
  if (FFlashShowing) FreeFlashWindow(), FFlashShowing = false;
  if (video_.Playing()) video_.StopVideo();
  close();
}

void TfRun::FreeFlashWindow() { flash_.reset(); }

bool TfRun::SlideAsksForMusic() const {
  return FSlideKind == 0 && FCurrent >= 0 && FCurrent < FSlideCount && FSlides[size_t(FCurrent)]->MusicDuringSlide;
}

bool TfRun::MenuModeOn() const { return project_.MenuMode != 0; }

void TfRun::ShowCursorAgain() {
  if (!cursorHidden_) return;
  unsetCursor();
  cursorHidden_ = false;
}

void TfRun::pbShowMouseMove(int x, int y) {
  ShowCursorAgain();
  if (FHosted || show_.DialogOpen()) {
    FMoves.Mark(x, y);
    return;
  }
  if (MenuModeOn() || !settings_.CloseOnMouseMove) return;
  if (!FMoves.Closes(settings_.MouseSensitivity, x, y)) return;
  FMoves.moves = 0;
  CloseShow();
}

void TfRun::pbShowMouseDown(Qt::MouseButton button, QPoint globalPos) {
  if (FHosted || show_.DialogOpen()) return;
  if (button == Qt::LeftButton && settings_.CloseOnLeftClick) {
    CloseShow();
  } else if (button == Qt::RightButton) {
    if (MenuModeOn()) pm.popup(globalPos);  // the menu is the show surface's in menu mode
    else if (settings_.CloseOnRightClick) CloseShow();
  }
}

void TfRun::pbShowDblClick() {
  if (!FHosted && settings_.CloseOnDoubleClick) CloseShow();
}

void TfRun::keyPressEvent(QKeyEvent* event) {
  FormKeyDown(event->key());
  if (!Closing() && !event->text().isEmpty()) FormKeyPress(event->text());
}

void TfRun::FormKeyDown(int key) {
  if (!FHosted && ClosingKey(settings_, key)) CloseShow();
}

void TfRun::FormKeyPress(const QString& text) {
  if (!FHosted && ClosingText(settings_, text)) CloseShow();
}

void TfRun::displaypanelMouseDown(Qt::MouseButton button, QPoint globalPos) { pbShowMouseDown(button, globalPos); }

void TfRun::Close1Click() { CloseShow(); }

void TfRun::Setting1Click() { show_.OpenSettings(this); }

void TfRun::customEvent(QEvent* event) {
  if (event->type() != TMessageEvent::EventType()) return QWidget::customEvent(event);
  const auto* m = static_cast<TMessageEvent*>(event);
  switch (m->Message) {
    case WM_FLASH_ENDED:
      if (m->WParam == 1) {
        FFlashStartFrame = 0, FFlashShowing = false;
        FreeFlashWindow();
      }
      SelectTimer.setInterval(1);
      if (!Closing()) SelectTimer.start();
      break;
    case WM_FLASH_STARTFRAME: FFlashStartFrame = int32_t(m->WParam); break;
    case WM_SHOW_CLOSE: SendMessage(&show_, WM_SHOW_CLOSE); break;  // from the flash window, which asked
    default: break;
  }
}

void TfRun::SelectTimerTimer() {
  SelectTimer.stop();
  // Beneath a dialog that is up (the password prompt, the settings dialog, a message box).
  if (project_.MenuMode == 0 && !FHosted && setup_.onScreen) BringToFront(this);
  if (FFlashShowing) FreeFlashWindow(), FFlashShowing = false;
  if (video_.Playing()) video_.StopVideo();
  if (FSlideCount == 0) return;  // nothing to show: the screen stays as it is until the show is closed
  // A slide that cannot be shown (a kind this player does not play, a picture that does not
  // decode) is passed over: a screen saver must not stop on one damaged slide.
  for (int32_t attempt = 0; attempt < FSlideCount && !Closing(); ++attempt) {
    int32_t next = project_.RandomOrder ? -1 : FCurrent + 1 > FSlideCount - 1 ? 0 : FCurrent + 1;
    if (setup_.firstSlide >= 0 && setup_.firstSlide < FSlideCount) {
      // The show was asked to start here: the first slide is this one, the rest as ever.
      next = setup_.firstSlide;
      setup_.firstSlide = -1;
    } else if (next < 0) {
      next = random_.Random(FSlideCount);
    }
    FSlideKind = FSlides[size_t(next)]->SlideKind;
    FCurrent = next;
    if (FSlideKind == 2) {
      VideoSlide(*FSlides[size_t(FCurrent)]);
      return;
    }
    if (FSlideKind == 1) {
      if (FlashSlide(*FSlides[size_t(FCurrent)])) return;
      continue;
    }
    if (FSlideKind != 0) continue;  // a kind this player does not play
    if (missing_[size_t(FCurrent)]) continue;
    if (!PrepareSlide(FCurrent)) continue;
    const TPictureInfo& slide = *FSlides[size_t(FCurrent)];
    if (settings_.UseOwnTransitions)
      StartTransition(slide, FUserEffects, settings_.TransitionSpeed, settings_.RandomTransition);
    else
      StartTransition(slide, FSlideEffects[size_t(FCurrent)], slide.EffectSpeed, slide.RandomEffect);
    return;
  }
  // Nothing could be shown this time: try again after a display time.
  if (!Closing()) HoldSlide();
}

void TfRun::HoldSlide() {
  SelectTimer.setInterval(project_.DisplaySeconds * 1000 + 1000);
  SelectTimer.start();
}

bool TfRun::PrepareSlide(int32_t index) {
  const TSlidePreparer::TPrepared prepared = prep_.Prepare(*FSlides[size_t(index)], random_);
  ShowMessages(prepared.messages);
  switch (prepared.outcome) {
    case TSlidePreparer::TOutcome::Missing:
      // An external picture that is not there ends the show. When the password prompt refuses
      // the close, the show goes on and passes over this slide for the rest of the run without
      // showing the message again: the guard stays, and the user is not asked at every turn.
      CloseShow();
      if (!Closing()) missing_[size_t(index)] = true;
      return false;
    case TSlidePreparer::TOutcome::Unreadable: return false;
    case TSlidePreparer::TOutcome::Ready: break;
  }
  if (project_.ScreenTransitionMode != 1) {
    canvas_.Draw(0, 0, prep_.Background());  // the new background shows at once, before the picture comes in
    Repaint();
  }
  return true;
}

void TfRun::ShowMessages(const QStringList& messages) {
  for (const QString& message : messages) show_.Message(message);
}

void TfRun::StartTransition(const TPictureInfo& slide, TQrxArray& list, int32_t speed, bool random) {
  show_.SlideStarted(*this, slide.MusicDuringSlide);
  const int32_t index = TTransitionEngine::ChooseIndex(list, random, random_);
  const bool wholeScreen = project_.ScreenTransitionMode == 1;
  int32_t interval;
  if (wholeScreen) {
    // The composed screen comes in over the screen as it was, which stays in the background
    // bitmap for a slide that paints none.
    AssignBitmap(prep_.Background(), surface_);
    interval = engine_.Start(index, canvas_, prep_.Composite(), prep_.Background(), 0, 0, speed, true);
  } else {
    const QPoint at = prep_.Place();
    interval = engine_.Start(index, canvas_, prep_.Picture(), prep_.Background(), at.x(), at.y(), speed, false);
  }
  FEffect = engine_.FEffect;
  ticks_ = 0;
  transitionClock_.start();
  stepInterval_ = interval;
  ShowTimer.setInterval(interval);
  ShowTimer.start();
}

void TfRun::FirstFrameShown() {
  firstFrameShown_ = true;
  if (trace_) {
    // The process's CPU time counts from its launch, the dynamic linking included; it tells a
    // change's gain where a loaded machine blurs the wall time.
    timespec cpu{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    std::fprintf(stderr, "showforge: first frame on the screen %lld ms after start (%.1f ms CPU since launch)\n",
                 (long long)MsSinceStart(), cpu.tv_sec * 1e3 + cpu.tv_nsec / 1e6);
  }
  show_.FirstFrameShown();
}

long long TfRun::MsSinceStart() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - setup_.started).count();
}

void TfRun::ShowTimerTimer() {
  if (ShowTimer.interval() != stepInterval_) ShowTimer.start(stepInterval_);  // after the first slide's first step
  const bool done = engine_.Step();
  ++ticks_;
  Repaint();
  if (!done) return;
  if (!FPreview && !show_.DialogOpen() && !cursorHidden_) {
    setCursor(Qt::BlankCursor);
    cursorHidden_ = true;
  }
  if (trace_) {
    const qint64 ms = transitionClock_.elapsed();
    const TEffectInfo* info = EffectInfo(FEffect);
    std::fprintf(stderr, "showforge: slide %d, effect %d (%s): %d ticks in %lld ms, %.1f ticks/s at a %d ms tick\n",
                 FCurrent, FEffect, info ? info->name : "no effect", ticks_, (long long)ms,
                 ms > 0 ? ticks_ * 1000.0 / double(ms) : 0.0, ShowTimer.interval());
  }
  ShowTimer.stop();
  HoldSlide();
}

QRect TfRun::ToLogical(QRect device) const {
  if (dpr_ == 1.0) return device;
  // Outwards: the scaled rectangle covers every device pixel of the given one.
  const int left = int(std::floor(device.x() / dpr_)), top = int(std::floor(device.y() / dpr_));
  const int right = int(std::ceil((device.x() + device.width()) / dpr_));
  const int bottom = int(std::ceil((device.y() + device.height()) / dpr_));
  return QRect(left, top, right - left, bottom - top);
}

void TfRun::Repaint() {
  const QRect dirty = canvas_.TakeDirty();
  if (!dirty.isEmpty()) pbShow->update(ToLogical(dirty));
}

TfRun::~TfRun() {
  JoinStartHelpers();
  unsetCursor();
  ShowTimer.stop();
  SelectTimer.stop();
  FreeFlashWindow();
  if (video_.Playing()) video_.StopVideo();
  FSlideEffects.clear();
  FSlides.clear();
  FBackgrounds.clear();
  if (wroteSnapshot_) QFile::remove(PrivateTempDir() + kDesktopSnapshotName);
}

}  // namespace sf
