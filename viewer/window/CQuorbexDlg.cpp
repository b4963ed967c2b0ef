#include "viewer/window/CQuorbexDlg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cstdio>

#include "library/ui/CFilerContainerDlg.h"
#include "mapview/ui/CGSensorDlg.h"
#include "maintenance/UpdateServerSetting.h"
#include "mapview/MapTileSetting.h"
#include "mapview/ui/CInfoDlg.h"
#include "platform/NamedMutexLock.h"
#include "player/ErrorReporter.h"
#include "player/PlayerMessages.h"
#include "recording/BoxTypeRegistry.h"
#include "viewer/commands/DisplaySettings.h"
#include "viewer/settings/FolderIni.h"
#include "viewer/settings/UiTextTable.h"
#include "viewer/skin/CLogoDlg.h"
#include "viewer/skin/CMovieDialog.h"
#include "viewer/skin/CMovieStatic.h"
#include "viewer/skin/CMsgBox.h"
#include "viewer/skin/CSkinButton.h"
#include "viewer/skin/CSkinProgressBarCtrl.h"
#include "viewer/skin/CSkinSliderCtrl.h"
#include "viewer/skin/ColorRef.h"
#include "viewer/skin/MessageEvent.h"
#include "viewer/skin/UiFonts.h"
#include "viewer/skin/UiQText.h"
#include "viewer/window/CsvCommand.h"
#include "viewer/window/DeleteCommand.h"
#include "viewer/window/FileWorkerHost.h"
#include "viewer/window/JoinCommand.h"
#include "viewer/window/StillCommand.h"
#include "viewer/window/InfoPanelLink.h"
#include "viewer/window/MapController.h"
#include "viewer/window/PlaybackController.h"
#include "viewer/window/RecordingAdvance.h"
#include "viewer/window/RecordingOpener.h"
#include "viewer/window/SettingsLink.h"
#include "viewer/window/ViewModes.h"
#include "viewer/window/SourceCommand.h"
#include "viewer/window/UpdateCheckLink.h"

namespace viewer {
namespace {

constexpr std::uint32_t kBackground = 0x3F3F3F;
constexpr int kPlayImage = 148;
constexpr int kPauseImage = 147;
constexpr int kPlayTip = 12;
constexpr int kPauseTip = 11;
constexpr int kOpenFailedText = 99;

// The bar in its order: the skin strip and the tip of each button.
struct BarButtonRow {
  int image;
  int tip;
};
constexpr BarButtonRow kBar[kBarButtons] = {
    {154, 20}, {144, 13}, {kPlayImage, kPlayTip}, {142, 17}, {139, 4},  {145, 9},  {153, 19},
    {150, 1},  {200, 21}, {146, 10},              {138, 3},  {151, 16}, {137, 2},  {356, 153},
};

// Slider images: done track, track, thumb, pressed thumb.
constexpr std::array<int, 4> kPositionSliderImages = {174, 159, 160, 161};
constexpr std::array<int, 4> kVolumeSliderImages = {167, 168, 169, 170};

QRect ToQRect(const LayoutRect& r) { return QRect(r.left, r.top, r.width, r.height); }

}  // namespace

CQuorbexDlg::CQuorbexDlg(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint),
      sink_(this),
      player_sink_(&sink_),
      views_(&sink_, {&player_sink_, [this] { RepaintView(0); }}, {&player_sink_, [this] { RepaintView(1); }}) {
  setFixedSize(kWindowWidth, kWindowHeight);
  setFont(UiFonts::Shared().font(UiFontSize::k10));
  timers_.SetHandler(WindowTimers::kPlaybackTick, [this] {
    if (on_playback_tick) on_playback_tick();
  });
  CreateControls();
  opener_ = std::make_unique<RecordingOpener>(*this);
  advance_ = std::make_unique<RecordingAdvance>(*this, *opener_, QCoreApplication::applicationFilePath().toStdString());
  playback_ = std::make_unique<PlaybackController>(*this);
  playback_->sync_views().move_cursor = [this](int frame) { graph_->MoveCursor(frame); };
  playback_->sync_views().set_graph_range = [this](int first, int count) { graph_->SetRange(first, count); };
  view_modes_ = std::make_unique<ViewModes>(*this);
  source_command_ = std::make_unique<SourceCommand>(*this);
  panels_ = std::make_unique<InfoPanelLink>(*this);
  update_check_ = std::make_unique<UpdateCheckLink>(*this, mapview::ReadMapTileSetting().url, maintenance::ReadUpdateServer());
  settings_ = std::make_unique<SettingsLink>(*this);
  files_ = std::make_unique<FileWorkerHost>(*this);
  still_ = std::make_unique<StillCommand>(*this);
  delete_ = std::make_unique<DeleteCommand>(*this);
  join_ = std::make_unique<JoinCommand>(*this);
  csv_ = std::make_unique<CsvCommand>(*this);
  playback_->sync_views().show_values = [this](const ShownValues& values) { panels_->ShowValues(values); };
  playback_->sync_views().show_speed_text = [this](std::string_view text) {
    info_->SetModeText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  };
  // No recording shown: the panels go back to their placeholders.
  opener_->on_recording_closed = [this, next = std::move(opener_->on_recording_closed)] {
    if (next) next();
    panels_->Reset();
  };
  map_ = std::make_unique<MapController>(*this);
  // The monitor's flag is the map's online mark.
  map_->SetTilesReachable([this] { return connection().connected(); });
  settings_->on_event_kinds_changed = [this] { map_->RebuildCurrentTrack(); };
  // No card format while a file operation runs.
  settings_->busy = [this] { return files_->running(); };
}

CQuorbexDlg::~CQuorbexDlg() { Shutdown(); }

maintenance::CInetConnectionAsync& CQuorbexDlg::connection() { return update_check_->connection(); }

void CQuorbexDlg::RepaintView(int slot) {
  // Players ask from their own threads; the widget is touched on the UI thread.
  QMetaObject::invokeMethod(this, [this, slot] {
    if (CMovieStatic* w = movie_[static_cast<std::size_t>(slot)]) w->update();
  });
}

void CQuorbexDlg::CreateControls() {
  filer_ = new library::CFilerContainerDlg(this, &sink_, &sink_);
  filer_->setFont(UiFonts::Shared().font(UiFontSize::k9));
  // A new list changes which buttons make sense.
  filer_->scanner().on_entries_changed = [this, refresh = std::move(filer_->scanner().on_entries_changed)] {
    if (refresh) refresh();
    UpdateEnabledControls();
  };
  logo_ = new CLogoDlg(this);
  floating_ = new CMovieDialog(this, &sink_);
  floating_->resize(kFloatingWindow.width, kFloatingWindow.height);
  floating_->hide();
  info_ = new mapview::CInfoDlg(this, &sink_);
  info_panel_ = info_;
  graph_ = new mapview::CGSensorDlg(this, &sink_);
  graph_->setFont(UiFonts::Shared().font(UiFontSize::k10));
  for (int v = 0; v < 2; ++v) {
    auto* w = new CMovieStatic(this, v);
    w->set_picture_source([this, v](const QSize& size) { return views_.view(v).Compose(size); });
    movie_[static_cast<std::size_t>(v)] = w;
  }
  position_slider_ = new CSkinSliderCtrl(this, kPositionSliderId, kPositionSliderImages, &sink_);
  volume_slider_ = new CSkinSliderCtrl(this, kVolumeSliderId, kVolumeSliderImages, &sink_);
  volume_slider_->SetRange(0, kMaxVolume);
  progress_ = new CSkinProgressBarCtrl(this);
  progress_->setObjectName("progress bar");
  progress_->setFont(UiFonts::Shared().font(UiFontSize::k10));
  for (std::size_t i = 0; i < kBarButtons; ++i) {
    auto* b = new CSkinButton(this, QSize(32, 32), kBar[i].image, UiQText(kBar[i].tip));
    const int id = kCommandFirstButton + static_cast<int>(i);
    b->setObjectName(QString::number(id));
    connect(b, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
    bar_[i] = b;
  }
  close_ = new CSkinButton(this, QSize(46, 18), 155, UiQText(0));
  size_ = new CSkinButton(this, QSize(26, 18), 157);
  minimise_ = new CSkinButton(this, QSize(26, 18), 156, UiQText(137));
  connect(close_, &QAbstractButton::clicked, this, [this] { OnCommand(kCommandClose); });
  connect(size_, &QAbstractButton::clicked, this, [this] { OnCommand(kCommandSize); });
  connect(minimise_, &QAbstractButton::clicked, this, [this] { OnCommand(kCommandMinimise); });
}

bool CQuorbexDlg::InitDialog() {
  cache_mutex_ = platform::NamedMutex::Create("hMutexCache");
  if (!cache_mutex_) return false;
  crash_point_mutex_ = platform::NamedMutex::Create("hMutexCpSet");
  if (!crash_point_mutex_) return false;
  setWindowTitle("Brennovale");
  WriteDisplayDefaultsIfMissing();
  player::SetMissingDecoderText(std::string(UiText(114)));
  views_.SetUp(UiQText(113));
  views_.set_error_sink([](player::HRESULT, const std::string& text, const std::string& why) {
    std::fprintf(stderr, "brennovale: %s%s%s\n", text.c_str(), why.empty() ? "" : ": ", why.c_str());
  });
  // Applies from the next open; the rear follows the front's choice.
  views_.SetHardwareDecoding(HardwareDecodeSetting());
  // The box types register themselves once per process, on first use, and
  // live as long as it: nothing to free at shutdown.
  recording::BoxTypeRegistry::Instance();
  const DisplaySettings display = ReadDisplaySettings();
  keep_aspect_ = display.keep_aspect;
  ApplySizeMode(0);
  SetVolume(display.volume, true);
  SetPlayButton(false);
  UpdateEnabledControls();
  progress_->SetRange(0, 100);
  progress_->SetPos(0);
  progress_->hide();
  views_.SetKeepAspect(keep_aspect_);
  ApplyViews();
  floating_->ShowsMainCamera(false);
  // Timers 103 and 104 serve a framework's idle processing and have no
  // work here.
  sink_.Post(kMessageDeferredInit, 0, 0);
  return true;
}

void CQuorbexDlg::ApplySizeMode(int mode) {
  size_mode_ = mode;
  const MainWindowLayout l = LayoutForSizeMode(mode);
  movie_[0]->setGeometry(ToQRect(l.video));
  // The sliders keep the height of their thumb unless told otherwise.
  position_slider_->setFixedSize(l.position_slider.width, l.position_slider.height);
  position_slider_->move(l.position_slider.left, l.position_slider.top);
  info_panel_->setGeometry(ToQRect(l.info_panel));
  info_->SetLayout(mode);  // size modes 0, 1, 2 use layouts 0, 1, 2
  // The docked sub view sits over the right edge of the panel's area.
  movie_[1]->setGeometry(ToQRect(l.docked_sub_view));
  movie_[1]->setVisible(l.docked_sub_view.width > 0);
  movie_[1]->raise();
  progress_->setGeometry(ToQRect(l.progress_bar));
  progress_->raise();
  graph_->setVisible(l.graph.has_value());
  if (l.graph) graph_->setGeometry(ToQRect(*l.graph));
  logo_->setVisible(l.map.has_value());
  if (l.map) logo_->setGeometry(ToQRect(*l.map));
  filer_->setVisible(l.list.has_value());
  if (l.list) {
    filer_->setGeometry(ToQRect(*l.list));
    const QRect inside(0, 0, l.list->width, l.list->height);
    if (mode == 0) {
      filer_->ArrangeSideBySide(inside);
    } else {
      filer_->ArrangeStacked(inside);
    }
  }
  for (std::size_t i = 0; i < kBarButtons; ++i) {
    bar_[i]->setVisible(l.buttons[i].has_value());
    if (l.buttons[i]) bar_[i]->setGeometry(ToQRect(*l.buttons[i]));
  }
  close_->setGeometry(ToQRect(l.close));
  size_->setGeometry(ToQRect(l.size));
  minimise_->setGeometry(ToQRect(l.minimise));
  size_->setToolTip(QString::fromUtf8(SizeButtonTip(mode).data(), static_cast<qsizetype>(SizeButtonTip(mode).size())));
  volume_slider_->setFixedSize(l.volume_slider.width, l.volume_slider.height);
  volume_slider_->move(l.volume_slider.left, l.volume_slider.top);
  if (on_layout_applied) on_layout_applied();
  UpdateEnabledControls();
  ApplyViews();
  update();
}

ControlInputs CQuorbexDlg::CurrentControlInputs() const {
  ControlInputs in;
  in.entry_count = static_cast<int>(filer_->list()->rows().size());
  in.current_index = filer_->current_row();
  in.state = static_cast<PlayState>(views_.state());
  in.speed_level = in.state == PlayState::kPlaying ? views_.rate_code() : 1;
  in.loaded = loaded_;
  in.source = filer_->scanner().kind();
  in.size_mode = size_mode_;
  in.held = held_;
  in.speed_debounce = speed_debounce_;
  in.busy = files_ && files_->running();
  return in;
}

void CQuorbexDlg::UpdateEnabledControls() {
  const ControlSet on = EnabledControls(CurrentControlInputs());
  for (std::size_t i = 0; i < kBarButtons; ++i) bar_[i]->setEnabled(on.Has(static_cast<Control>(i)));
  close_->setEnabled(on.Has(Control::kClose));
  size_->setEnabled(on.Has(Control::kSize));
  minimise_->setEnabled(on.Has(Control::kMinimise));
  position_slider_->setEnabled(on.Has(Control::kPositionSlider));
  volume_slider_->setEnabled(on.Has(Control::kVolumeSlider));
  filer_->setEnabled(on.Has(Control::kList));
  info_panel_->setEnabled(on.Has(Control::kPanel));
}

void CQuorbexDlg::SetState(bool loaded, bool held, bool speed_debounce) {
  loaded_ = loaded;
  held_ = held;
  speed_debounce_ = speed_debounce;
  UpdateEnabledControls();
}

void CQuorbexDlg::RepaintVideos() {
  for (CMovieStatic* movie : movie_) movie->update();
}

void CQuorbexDlg::ShowOpenFailed() {
  RepaintVideos();
  CMsgBox::Show(this, UiQText(kOpenFailedText), QStringLiteral("ERROR"));
}

void CQuorbexDlg::SetPlayButton(bool playing) {
  CSkinButton* play = bar_[static_cast<std::size_t>(Control::kPlay)];
  play->SetImage(playing ? kPauseImage : kPlayImage);
  play->setToolTip(UiQText(playing ? kPauseTip : kPlayTip));
}

void CQuorbexDlg::SetVolume(int volume, bool write) {
  volume_ = ClampVolume(volume);
  if (write) WriteVolumeSetting(volume_);
  views_.SetVolume(volume_);  // the reading view only; the other stays silent
  volume_slider_->SetValue(volume_);
}

void CQuorbexDlg::ApplyViews() {
  // Unzoomed: the whole picture in each view.
  for (int slot = 0; slot < 2; ++slot) views_.SetViewRectangle(slot, 1.0, 0.0, 0.0);
  if (on_views_applied) on_views_applied();
}

void CQuorbexDlg::SetKeepAspect(bool keep) {
  keep_aspect_ = keep;
  views_.SetKeepAspect(keep);
  WriteKeepAspectSetting(keep);
}

// ---- tables

const std::map<int, CQuorbexDlg::CommandHandler>& CQuorbexDlg::CommandTable() {
  static const std::map<int, CommandHandler> table = [] {
    std::map<int, CommandHandler> t{
        {kCommandClose, &CQuorbexDlg::OnClose},
        {kCommandMinimise, &CQuorbexDlg::OnMinimise},
        {kCommandSize, &CQuorbexDlg::OnSize},
        {CommandOf(Control::kSettings), &CQuorbexDlg::ForwardCommand},
    };
    // Playback, the source dialog, zoom, the display switch and the keep-aspect
    // toggle go to the playback controller; still pictures, join, delete and
    // CSV export to the file commands.
    for (Control c : {Control::kStill, Control::kJoin, Control::kDelete, Control::kCsv, Control::kFirst, Control::kPrevious, Control::kPlay, Control::kSlow, Control::kFastForward,
                      Control::kNext, Control::kZoom, Control::kSource, Control::kDisplaySwitch}) {
      t.emplace(CommandOf(c), &CQuorbexDlg::ForwardCommand);
    }
    t.emplace(kCommandKeepAspect, &CQuorbexDlg::ForwardCommand);
    for (int id = kCommandFirstFilter; id <= kCommandLastFilter; ++id) t.emplace(id, &CQuorbexDlg::OnFilter);
    return t;
  }();
  return table;
}

const std::map<std::uint32_t, CQuorbexDlg::MessageHandler>& CQuorbexDlg::MessageTable() {
  static const std::map<std::uint32_t, MessageHandler> table = [] {
    std::map<std::uint32_t, MessageHandler> t{
        {0x8007, &CQuorbexDlg::OnReapplyViews},
        {kMessageReapplyView, &CQuorbexDlg::OnReapplyViews},
        {0x8008, &CQuorbexDlg::OnProgress},
        {kSliderMoved, &CQuorbexDlg::OnSliderMoved},
        {kSliderDragStart, &CQuorbexDlg::OnSliderDragStart},
        {kSliderDragEnd, &CQuorbexDlg::OnSliderDragEnd},
        {kMessageDeferredInit, &CQuorbexDlg::OnDeferredInit},
        {0x82BD, &CQuorbexDlg::OnAxisToggle},
    };
    // The open sequence, the end of a recording, the position, slow-motion
    // steps, the popup menu, zoom clicks, docking, folder changes and a lost
    // source belong to the playback controller; the vehicle panel's close to
    // the panels; the map's to the map controller (the page's ready also to the
    // update check); the settings window's display boxes to the settings link;
    // the file worker's end and list change to the file worker.
    for (std::uint32_t m : {0x8001u, 0x8003u, 0x8005u, 0x8004u, 0x8006u, 0x825Cu, 0x825Fu, 0x8260u, 0x8261u, 0x8456u,
                            0x84B1u, 0x8515u, 0x8516u, 0x8517u, 0x8578u, 0x812Du, 0x812Eu, 0x81F5u,
                            kMessageGroupRouteLoaded, kMessageMapEngineFailed, kMessageDockView, kMessageKeepOnScreen,
                            player::WM_PLAYER_READY, player::WM_PLAYER_ENDED}) {
      t.emplace(m, &CQuorbexDlg::ForwardMessage);
    }
    // Accepted and ignored: list double click, and until the event points
    // exist the graph's clicks (they jump between them).
    for (std::uint32_t m : {0x8002u, 0x825Du, 0x825Eu, 0x8385u, 0x8191u, 0x8192u}) {
      t.emplace(m, &CQuorbexDlg::IgnoreMessage);
    }
    return t;
  }();
  return table;
}

void CQuorbexDlg::OnCommand(int id) {
  const auto& table = CommandTable();
  const auto it = table.find(id);
  if (it == table.end()) return;
  last_command_ = id;
  (this->*(it->second))();
}

void CQuorbexDlg::OnMessage(const platform::Message& message) {
  const auto& table = MessageTable();
  const auto it = table.find(message.message);
  if (it != table.end()) (this->*(it->second))(message);
}

bool CQuorbexDlg::event(QEvent* e) {
  if (e->type() == MessageEvent::TypeId()) {
    OnMessage(static_cast<MessageEvent*>(e)->message);
    return true;
  }
  return QDialog::event(e);
}

// ---- commands

void CQuorbexDlg::OnClose() {
  Shutdown();
  done(0);
}

void CQuorbexDlg::OnMinimise() { showMinimized(); }

void CQuorbexDlg::OnSize() { ApplySizeMode(NextSizeMode(size_mode_)); }

void CQuorbexDlg::OnFilter() {
  const int category = last_command_ - kCommandFirstFilter;
  if (category < 0 || category >= 5) return;  // the sixth filter has no toggle in the list
  filer_->SetFilter(category, !filer_->filter(category));
  ForwardCommand();  // an empty list closes the recording
}

void CQuorbexDlg::ForwardCommand() {
  if (on_command) on_command(last_command_);
  UpdateEnabledControls();
}

// ---- messages

void CQuorbexDlg::ForwardMessage(const platform::Message& m) {
  if (on_message) on_message(m);
}

void CQuorbexDlg::OnSliderMoved(const platform::Message& m) {
  if (static_cast<int>(m.wparam) == kVolumeSliderId) {
    SetVolume(static_cast<int>(m.lparam), false);
  } else {
    ForwardMessage(m);
  }
}

void CQuorbexDlg::OnSliderDragStart(const platform::Message& m) {
  if (static_cast<int>(m.wparam) == kPositionSliderId) ForwardMessage(m);
}

void CQuorbexDlg::OnSliderDragEnd(const platform::Message& m) {
  if (static_cast<int>(m.wparam) == kVolumeSliderId) {
    // Written once per drag: every write replaces the settings file.
    SetVolume(static_cast<int>(m.lparam), true);
  } else {
    ForwardMessage(m);
  }
}

void CQuorbexDlg::OnReapplyViews(const platform::Message&) { ApplyViews(); }

// An axis button of the info panel: both flags of detector entry wParam (the
// event points follow them once they exist).
void CQuorbexDlg::OnAxisToggle(const platform::Message& m) {
  graph_->SetEntryFlags(static_cast<int>(m.wparam), m.lparam != 0);
}

void CQuorbexDlg::OnProgress(const platform::Message& m) {
  const auto done = static_cast<long long>(m.wparam);
  const long long total = m.lparam;
  progress_->SetPos(total <= 0 ? 100 : static_cast<int>(std::clamp<long long>(done * 100 / total, 0, 100)));
}

void CQuorbexDlg::OnDeferredInit(const platform::Message&) {
  filer_->ReloadSource();
  SetPlayButton(views_.state() == player::MovieView::ViewState::kPlaying);
  UpdateEnabledControls();
}

// ---- shutdown

void CQuorbexDlg::Shutdown() {
  if (shut_down_) return;
  shut_down_ = true;
  if (on_shutdown) on_shutdown();  // worker threads end and are joined here
  if (views_.state() != player::MovieView::ViewState::kPaused) views_.Pause();
  views_.Stop();
  views_.FreeSensorData();
  timers_.StopAll();
  views_.Close();
  // Taken and released once more, so that no other holder is left inside.
  for (auto* mutex : {&cache_mutex_, &crash_point_mutex_}) {
    if (*mutex) {
      (*mutex)->Lock();
      (*mutex)->Unlock();
      mutex->reset();
    }
  }
}

void CQuorbexDlg::closeEvent(QCloseEvent* event) {
  Shutdown();
  QDialog::closeEvent(event);
}

void CQuorbexDlg::reject() {
  // Escape lands here: it leaves through the same routine as the close button.
  Shutdown();
  QDialog::reject();
}

// ---- painting and moving

void CQuorbexDlg::paintEvent(QPaintEvent*) {
  QPainter& p = surface_.Begin(size());
  p.fillRect(rect(), ColorFromRef(kBackground));
  p.setPen(Qt::white);
  p.setFont(UiFonts::Shared().font(UiFontSize::k10));
  p.drawText(QRect(8, 3, 300, 18), Qt::AlignLeft | Qt::AlignVCenter, windowTitle());
  surface_.Finish(this);
}

void CQuorbexDlg::mousePressEvent(QMouseEvent* event) {
  // The whole background is the caption: a drag anywhere moves the window.
  if (event->button() != Qt::LeftButton) return QDialog::mousePressEvent(event);
  dragging_ = true;
  grab_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void CQuorbexDlg::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_) move(event->globalPosition().toPoint() - grab_);
}

void CQuorbexDlg::mouseReleaseEvent(QMouseEvent*) { dragging_ = false; }

}  // namespace viewer
