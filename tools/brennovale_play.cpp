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

#include "player/ViewPair.h"
#include "viewer/commands/SpeedSteps.h"
#include "viewer/skin/CMovieStatic.h"
#include "viewer/skin/MessageEvent.h"
#include "viewer/skin/QtMessageSink.h"

namespace {

class PlayerWindow : public QWidget {
 public:
  explicit PlayerWindow(const std::filesystem::path& front)
      : sink_(this),
        views_(&sink_, {&sink_, [this] { Repaint(front_widget_); }}, {&sink_, [this] { Repaint(rear_widget_); }}) {
    auto* layout = new QHBoxLayout(this);
    front_widget_ = new viewer::CMovieStatic(this, 0);
    rear_widget_ = new viewer::CMovieStatic(this, 1);
    front_widget_->setMinimumSize(320, 180);
    rear_widget_->setMinimumSize(320, 180);
    layout->addWidget(front_widget_);
    layout->addWidget(rear_widget_);
    front_widget_->set_picture_source([this](const QSize& size) { return views_.view(player::ViewPair::kFront).Compose(size); });
    rear_widget_->set_picture_source([this](const QSize& size) { return views_.view(player::ViewPair::kRear).Compose(size); });
    views_.SetUp("Noto Sans CJK JP");
    views_.set_error_sink([](player::HRESULT, const std::string& text, const std::string& why) {
      std::fprintf(stderr, "brennovale-play: %s%s%s\n", text.c_str(), why.empty() ? "" : ": ", why.c_str());
    });
    // Without a rear file the front plays alone.
    opened_ = !player::Failed(views_.Open(front));
    if (!opened_) return;
    views_.LoadSensorData(front);
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
    if (m.message == player::WM_PLAYER_READY && !started_ && views_.media_ready()) {
      started_ = true;
      views_.ShowFrame(0);
      views_.Play();
    } else if (m.message == player::WM_PLAYER_ENDED) {
      views_.Stop();
    } else if (m.message == player::WM_SLOW_STEP) {
      views_.ShowFrame(static_cast<int>(m.lparam));
    }
    return true;
  }

  void keyPressEvent(QKeyEvent* e) override {
    switch (e->key()) {
      case Qt::Key_Space:
        if (views_.state() == player::MovieView::ViewState::kPlaying) {
          views_.Pause();
        } else {
          views_.Play();
        }
        break;
      case Qt::Key_Right: views_.Step(1); break;
      case Qt::Key_Left: views_.Step(-1); break;
      case Qt::Key_Up: views_.SetRate(viewer::NextSpeedLevel(viewer::SpeedCommand::kFaster, views_.rate_code(), true, {})); break;
      case Qt::Key_Down: views_.SetRate(viewer::NextSpeedLevel(viewer::SpeedCommand::kSlower, views_.rate_code(), true, {})); break;
      case Qt::Key_S:
        slow_ = !slow_;
        views_.SlowMotion(slow_);
        break;
      case Qt::Key_R:
        rotated_ = !rotated_;
        views_.Rotate180(rotated_);
        break;
      case Qt::Key_A:
        keep_ = !keep_;
        views_.SetKeepAspect(keep_);
        break;
      case Qt::Key_Q: close(); break;
      default: QWidget::keyPressEvent(e);
    }
  }

 private:
  static void Repaint(viewer::CMovieStatic* widget) {
    QMetaObject::invokeMethod(widget, [widget] { widget->update(); });
  }
  void UpdateTitle() {
    player::MovieView& view = views_.reading_view();
    const int frame = views_.CurrentFrame();
    const auto* sample = view.sensor_data().SampleAtFrame(frame);
    QString title = QString("frame %1 / %2, rate code %3").arg(frame).arg(views_.FrameCount()).arg(views_.rate_code());
    if (sample != nullptr && sample->gps_link != nullptr) title += QString(", %1 km/h").arg(sample->gps_link->speed);
    setWindowTitle(title);
  }

  viewer::QtMessageSink sink_;
  viewer::CMovieStatic* front_widget_ = nullptr;
  viewer::CMovieStatic* rear_widget_ = nullptr;
  player::ViewPair views_;
  bool opened_ = false;
  bool started_ = false;
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
