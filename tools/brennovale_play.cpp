// Plays a recording's front and rear camera side by side.
// Keys: space play/pause, Left/Right one frame, Up/Down faster/slower,
// S slow motion, R turn 180 degrees, A keep aspect / stretch, Q quit.
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <string_view>

#include "player/MovieView.h"
#include "recording/CompanionPath.h"
#include "viewer/commands/SpeedSteps.h"
#include "viewer/skin/CMovieWindows.h"
#include "viewer/skin/QtMessageSink.h"

namespace {

class PlayerWindow : public QWidget {
 public:
  explicit PlayerWindow(const std::filesystem::path& front) : sink_(this) {
    auto* layout = new QHBoxLayout(this);
    front_widget_ = new viewer::CMovieStatic(this, 0);
    rear_widget_ = new viewer::CMovieStatic(this, 1);
    front_widget_->setMinimumSize(320, 180);
    rear_widget_->setMinimumSize(320, 180);
    layout->addWidget(front_widget_);
    layout->addWidget(rear_widget_);
    front_ = std::make_unique<player::MovieView>(&sink_, &sink_, [this] { QMetaObject::invokeMethod(front_widget_, [w = front_widget_] { w->update(); }); });
    rear_ = std::make_unique<player::MovieView>(&sink_, &sink_, [this] { QMetaObject::invokeMethod(rear_widget_, [w = rear_widget_] { w->update(); }); });
    front_widget_->set_picture_source([this](const QSize& size) { return front_->Compose(size); });
    rear_widget_->set_picture_source([this](const QSize& size) { return rear_->Compose(size); });
    front_->SetUp("Noto Sans CJK JP");
    rear_->SetUp("Noto Sans CJK JP");
    auto report = [](player::HRESULT, const std::string& text, const std::string& why) {
      std::fprintf(stderr, "brennovale-play: %s%s%s\n", text.c_str(), why.empty() ? "" : ": ", why.c_str());
    };
    front_->set_error_sink(report);
    opened_ = !player::Failed(front_->Open(front));
    if (!opened_) return;
    // The rear file is optional: without one the front plays alone. A name
    // not of the recorder's shape has no rear of its own (the exchange of
    // camera letters gives the front itself).
    const auto rear = recording::CompanionPath(front, recording::Companion::kOtherCamera);
    if (rear != front) {
      if (std::filesystem::exists(rear)) rear_->set_error_sink(report);
      has_rear_ = !player::Failed(rear_->Open(rear));
    }
    front_->LoadSensorData(front);
    timer_.setInterval(30);
    connect(&timer_, &QTimer::timeout, this, [this] { UpdateTitle(); });
    timer_.start();
    resize(1000, 320);
  }
  bool opened() const { return opened_; }

 protected:
  bool event(QEvent* e) override {
    if (e->type() != viewer::MessageEvent::TypeId()) return QWidget::event(e);
    const platform::Message m = static_cast<viewer::MessageEvent*>(e)->message;
    if (m.message == player::WM_PLAYER_READY && ++ready_ == (has_rear_ ? 2 : 1)) {
      Show(0);
      Each([](player::MovieView& v) { v.Play(); });
    } else if (m.message == player::WM_PLAYER_ENDED) {
      Each([](player::MovieView& v) { v.Stop(); });
    } else if (m.message == player::WM_SLOW_STEP) {
      Show(static_cast<int>(m.lparam));
    }
    return true;
  }

  void keyPressEvent(QKeyEvent* e) override {
    const int frame = front_->CurrentFrame();
    switch (e->key()) {
      case Qt::Key_Space:
        if (front_->view_state() == player::MovieView::ViewState::kPlaying) {
          Each([](player::MovieView& v) { v.Pause(); });
        } else {
          Each([](player::MovieView& v) { v.Play(); });
        }
        break;
      case Qt::Key_Right: Show(frame + 1); break;
      case Qt::Key_Left: Show(frame - 1); break;
      case Qt::Key_Up: SetRate(viewer::NextSpeedLevel(viewer::SpeedCommand::kFaster, front_->rate_code(), true, {})); break;
      case Qt::Key_Down: SetRate(viewer::NextSpeedLevel(viewer::SpeedCommand::kSlower, front_->rate_code(), true, {})); break;
      case Qt::Key_S:
        slow_ = !slow_;
        Each([this](player::MovieView& v) { v.SlowMotion(slow_ ? 1.0 : 0.0); });
        break;
      case Qt::Key_R:
        rotated_ = !rotated_;
        Each([this](player::MovieView& v) { v.Rotate180(rotated_); });
        break;
      case Qt::Key_A:
        keep_ = !keep_;
        Each([this](player::MovieView& v) { v.SetAspectMode(keep_ ? 1 : 0); });
        break;
      case Qt::Key_Q: close(); break;
      default: QWidget::keyPressEvent(e);
    }
  }

 private:
  template <typename F>
  void Each(F f) {
    f(*front_);
    if (has_rear_) f(*rear_);
  }
  void Show(int frame) {
    front_->ShowFrame(frame);
    if (has_rear_) rear_->ShowFrame(recording::RearFrameFor(frame, front_->timing(), rear_->timing()));
  }
  void SetRate(int code) {
    Each([code](player::MovieView& v) { v.SetRate(code); });
  }
  void UpdateTitle() {
    const auto* sample = front_->sensor_data().SampleAtFrame(front_->CurrentFrame());
    QString title = QString("frame %1 / %2, rate code %3").arg(front_->CurrentFrame()).arg(front_->FrameCount()).arg(front_->rate_code());
    if (sample != nullptr && sample->gps_link != nullptr) title += QString(", %1 km/h").arg(sample->gps_link->speed);
    setWindowTitle(title);
  }

  viewer::QtMessageSink sink_;
  viewer::CMovieStatic* front_widget_ = nullptr;
  viewer::CMovieStatic* rear_widget_ = nullptr;
  std::unique_ptr<player::MovieView> front_, rear_;
  bool opened_ = false;
  bool has_rear_ = false;
  int ready_ = 0;
  bool slow_ = false, rotated_ = false, keep_ = true;
  QTimer timer_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const bool screenshot = argc == 4 && std::string_view(argv[2]) == "--screenshot";
  if (argc != 2 && !screenshot) {
    std::fprintf(stderr, "usage: brennovale-play MAIN.MOV [--screenshot PNG]\n");
    return 2;
  }
  PlayerWindow window{std::filesystem::path(argv[1])};
  if (!window.opened()) return 1;  // the reason is printed
  window.show();
  if (screenshot) {
    // After a second of playback, save what the window shows and quit.
    QTimer::singleShot(1500, &window, [&window, path = QString::fromLocal8Bit(argv[3])] {
      window.grab().save(path);
      QCoreApplication::quit();
    });
  }
  return app.exec();
}
