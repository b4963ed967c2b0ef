// Renders the skinned controls and panels in their states to PNG files, so
// the look can be reviewed without clicking through the program.
#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <filesystem>

#include "library/ui/CFileSelectDlg.h"
#include "library/ui/CFilerContainerDlg.h"
#include "library/ui/CSourceOpenDlg.h"
#include "viewer/skin/CLogoDlg.h"
#include "viewer/skin/CMovieMenu.h"
#include "tools/samplecard/SampleCard.h"
#include "viewer/skin/CMsgDlg.h"
#include "viewer/skin/CSkinButton.h"
#include "viewer/skin/CSkinCheckButton.h"
#include "viewer/skin/CSkinProgressBarCtrl.h"
#include "viewer/skin/CSkinSliderCtrl.h"

namespace {

bool Save(QWidget& w, const std::filesystem::path& path) {
  const bool ok = w.grab().save(QString::fromStdString(path.string()));
  if (!ok) std::fprintf(stderr, "brennovale-gallery: cannot write %s\n", path.string().c_str());
  return ok;
}

// Places widgets on a light background and saves the lot.
class Board : public QWidget {
 public:
  explicit Board(QSize size) {
    resize(size);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(232, 232, 232));
    setPalette(p);
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: brennovale-gallery OUT_DIR\n");
    return 2;
  }
  const std::filesystem::path out = argv[1];
  std::filesystem::create_directories(out);
  bool ok = true;

  Board buttons(QSize(200, 140));
  for (int state = 0; state < 4; ++state) {
    for (int i = 0; i < 2; ++i) {
      auto* b = new viewer::CSkinButton(&buttons, QSize(32, 32), i == 0 ? 148 : 147);
      b->move(8 + state * 44, 8 + i * 40);
      if (state == 1) {
        QEnterEvent enter(QPointF(16, 16), QPointF(), QPointF());
        QApplication::sendEvent(b, &enter);
      }
      if (state == 2) b->set_forced_pressed(true);
      if (state == 3) b->setEnabled(false);
    }
    auto* close = new viewer::CSkinButton(&buttons, QSize(13, 12), 352);
    close->move(8 + state * 44, 90);
    close->setEnabled(state != 3);
    auto* check = new viewer::CSkinCheckButton(&buttons, "常時");
    check->move(8 + state * 44, 110);
    check->setChecked(state == 2);
    check->setEnabled(state != 3);
  }
  ok &= Save(buttons, out / "buttons.png");

  Board bars(QSize(320, 210));
  const int positions[] = {0, 35, 100};
  for (int i = 0; i < 3; ++i) {
    auto* bar = new viewer::CSkinProgressBarCtrl(&bars);
    bar->setGeometry(10, 10 + i * 30, 300, 22);
    bar->SetRange(0, 100);
    bar->SetPos(positions[i]);
  }
  auto* empty = new viewer::CSkinProgressBarCtrl(&bars);
  empty->setGeometry(10, 100, 300, 22);
  empty->SetRange(0, 0);
  for (int i = 0; i < 3; ++i) {
    auto* slider = new viewer::CSkinSliderCtrl(&bars, viewer::kPositionSliderId, {174, 159, 160, 161}, nullptr);
    slider->setGeometry(10, 135 + i * 14, 300, 10);
    slider->SetRange(0, 1799);
    slider->SetValue(positions[i] * 1799 / 100);
  }
  auto* volume = new viewer::CSkinSliderCtrl(&bars, viewer::kVolumeSliderId, {167, 168, 169, 170}, nullptr);
  volume->setGeometry(10, 185, 120, 12);
  volume->SetRange(0, 65535);
  volume->SetValue(40000);
  ok &= Save(bars, out / "progress-and-sliders.png");

  viewer::CMsgDlg error(nullptr, "動画の連結に失敗しました。", "ERROR", viewer::CMsgDlg::kOk);
  ok &= Save(error, out / "message-error.png");
  viewer::CMsgDlg ask(nullptr, "同名のファイルが存在します。\n続行しますか？", "確認", viewer::CMsgDlg::kOkCancel);
  ok &= Save(ask, out / "message-question.png");

  // The recording list filled from a generated card.
  const std::filesystem::path card = out / "card";
  samplecard::CardOptions options;
  options.seconds = 0.2;
  options.width = 64;
  options.height = 36;
  if (!samplecard::WriteSampleCard(card, options)) return 1;
  library::CFilerContainerDlg panel(nullptr, nullptr, nullptr);
  panel.resize(460, 420);
  panel.ArrangeSideBySide(QRect(0, 0, 460, 420));
  // Opened as a card, as the program opens one, so that the groups carry their trigger badges.
  panel.OpenSource(card, library::SourceKind::kCard);
  for (library::TreeItem* item = panel.tree()->selected(); item != nullptr && !item->children.empty();) {
    item = item->children.front().get();
    panel.tree()->Select(item);
  }
  panel.SelectRow(2);
  ok &= Save(panel, out / "recording-list.png");
  panel.resize(240, 633);
  panel.ArrangeStacked(QRect(0, 0, 240, 633));
  ok &= Save(panel, out / "recording-list-stacked.png");

  library::CSourceOpenDlg source(nullptr);
  ok &= Save(source, out / "source-dialog.png");
  library::CFileSelectDlg join(nullptr, library::CFileSelectDlg::kJoin);
  join.SetDefaultList(panel.scanner().CollectAllRecordings());
  join.ToggleRow(1);
  join.ToggleRow(3);
  ok &= Save(join, out / "join-dialog.png");

  viewer::CMovieMenu menu(nullptr);
  menu.addAction("再生");
  menu.addAction("停止")->setEnabled(false);
  menu.addAction("静止画");
  menu.adjustSize();
  menu.setActiveAction(menu.actions()[0]);
  ok &= Save(menu, out / "video-menu.png");
  viewer::CLogoDlg logo(nullptr);
  logo.resize(452, 368);
  ok &= Save(logo, out / "logo.png");
  std::filesystem::remove_all(card);
  return ok ? 0 : 1;
}
