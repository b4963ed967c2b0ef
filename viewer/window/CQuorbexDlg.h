#pragma once

#include <QDialog>
#include <QPoint>
#include <QTimer>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "platform/MessageSink.h"
#include "platform/NamedMutex.h"
#include "player/ViewPair.h"
#include "viewer/commands/DisplaySettings.h"
#include "viewer/commands/EnabledControls.h"
#include "viewer/commands/MainWindowLayout.h"
#include "viewer/skin/COffScreenDC.h"
#include "viewer/skin/QtMessageSink.h"
#include "viewer/window/GenerationSink.h"
#include "viewer/window/WindowTimers.h"

namespace library {
class CFilerContainerDlg;
}
namespace maintenance {
class CInetConnectionAsync;
}
namespace mapview {
class CGSensorDlg;
class CInfoDlg;
}  // namespace mapview

namespace viewer {

class CLogoDlg;
class CsvCommand;
class DeleteCommand;
class FileWorkerHost;
class JoinCommand;
class StillCommand;
class CMovieDialog;
class CMovieStatic;
class InfoPanelLink;
class MapController;
class PlaybackController;
class RecordingAdvance;
class RecordingOpener;
class SettingsLink;
class ViewModes;
class SourceCommand;
class UpdateCheckLink;
class CSkinButton;
class CSkinProgressBarCtrl;
class CSkinSliderCtrl;

// Messages the main window posts to itself.
inline constexpr std::uint32_t kMessageDeferredInit = 0x8518;

// The main window: a frameless 1120 x 697 window painted from the skin, with
// the button bar, the caption buttons, the sliders, the recording list, both
// video windows and the places of the graph, the info panel and the map.
// Controls post their intents as messages and commands; this class decides.
// Everything runs on the UI thread; other threads reach it only by posting
// to sink().
class CQuorbexDlg : public QDialog {
 public:
  explicit CQuorbexDlg(QWidget* parent = nullptr);
  ~CQuorbexDlg() override;

  // The start-up of the window, in order: named mutexes, title, settings
  // defaults (only when the settings file is missing), the players, the
  // display settings, size mode 0, the volume written back, the enabled
  // state, the hidden progress bar, the views, and the deferred
  // initialisation posted. False when a named mutex could not be made (the
  // window then stays up without players).
  bool InitDialog();

  // Runs one command of the command table; unknown ids do nothing.
  void OnCommand(int id);
  // Handles one message of the message table at once (messages posted to
  // sink() arrive here too); unknown numbers do nothing.
  void OnMessage(const platform::Message& message);

  // The one way out: the close button, the window manager's close and
  // Escape all run it first. Safe to run twice.
  void Shutdown();
  bool shut_down() const { return shut_down_; }

  // Applies a size mode's geometry to every child.
  void ApplySizeMode(int mode);
  // Recomputes which controls are enabled from the current state.
  void UpdateEnabledControls();
  ControlInputs CurrentControlInputs() const;

  // Sets the state the enabled controls follow besides the players' and
  // the list's, and applies it.
  void SetState(bool loaded, bool held, bool speed_debounce);
  void SetPlayButton(bool playing);
  // Tells the user a recording could not be opened (UI text 99).
  void ShowOpenFailed();
  // Paints both video windows again (UI thread).
  void RepaintVideos();
  // Keep-aspect for both players, written to the settings as "on" or "off".
  void SetKeepAspect(bool keep);
  // Applies the views (zoom) to both players.
  void ApplyViews();

  // The playback controller's hooks. Called every 30 ms while a recording
  // plays (timer 100 of timers(); started and stopped by the controller).
  std::function<void()> on_playback_tick;
  // Playback commands (first, previous, play, slow, fast-forward, next,
  // zoom, source, display switch, keep aspect); the enabled state is
  // applied afterwards.
  std::function<void(int command)> on_command;
  // The open sequence's, the position's, the end of a recording's, the
  // popup menu's, zoom clicks', docking's, folder changes' and a lost
  // source's messages.
  std::function<void(const platform::Message&)> on_message;
  // First step of the shutdown: stop and join worker threads.
  std::function<void()> on_shutdown;
  // After a size mode has placed the controls, before the views are applied.
  std::function<void()> on_layout_applied;
  // After the views were reset to the whole picture and applied to the players.
  std::function<void()> on_views_applied;

  platform::MessageSink& sink() { return sink_; }
  player::ViewPair& views() { return views_; }
  // Where the players post: stamps their messages with the open's generation.
  GenerationSink& player_sink() { return player_sink_; }
  // Opens what is selected in the list and plays it.
  RecordingOpener& opener() { return *opener_; }
  // Previous, next, the end of a recording, folder changes and a lost source.
  RecordingAdvance& advance() { return *advance_; }
  // Follows the playback position and runs the speed commands.
  PlaybackController& playback() { return *playback_; }
  // Zoom, the sub camera's place, fullscreen and the mouse on the videos.
  ViewModes& view_modes() { return *view_modes_; }
  // The source command (38009) and its dialog.
  SourceCommand& source_command() { return *source_command_; }
  // The background worker of the file operations (delete, join, CSV).
  FileWorkerHost& files() { return *files_; }
  // Still pictures (38006), delete (38010) and join (38007).
  StillCommand& still_command() { return *still_; }
  DeleteCommand& delete_command() { return *delete_; }
  JoinCommand& join_command() { return *join_; }
  // The list CSV (38012).
  CsvCommand& csv_command() { return *csv_; }
  library::CFilerContainerDlg* filer() const { return filer_; }
  CSkinButton* bar_button(int index) const { return bar_[static_cast<std::size_t>(index)]; }
  CSkinButton* close_button() const { return close_; }
  CSkinButton* size_button() const { return size_; }
  CSkinButton* minimise_button() const { return minimise_; }
  CSkinSliderCtrl* position_slider() const { return position_slider_; }
  CSkinSliderCtrl* volume_slider() const { return volume_slider_; }
  CSkinProgressBarCtrl* progress_bar() const { return progress_; }
  CMovieStatic* movie_window(int view) const { return movie_[static_cast<std::size_t>(view)]; }
  CMovieDialog* floating_window() const { return floating_; }
  CLogoDlg* logo() const { return logo_; }
  QWidget* info_panel() const { return info_panel_; }
  mapview::CInfoDlg* info() const { return info_; }
  // The info and vehicle panels' feed: SyncViews::ShowValues goes to its
  // ShowValues.
  InfoPanelLink& panels() { return *panels_; }
  // The settings window (38011), its display switches (0x81F5) and the card format.
  SettingsLink& settings() { return *settings_; }
  mapview::CGSensorDlg* graph() const { return graph_; }
  // The map window in the map's place, and what it is told.
  MapController& map() { return *map_; }
  // The connection monitor (its connected() flag is the map's online mark)
  // and the update check.
  maintenance::CInetConnectionAsync& connection();
  UpdateCheckLink& update_check() { return *update_check_; }
  int size_mode() const { return size_mode_; }
  int volume() const { return volume_; }
  bool keep_aspect() const { return keep_aspect_; }
  bool loaded() const { return loaded_; }
  bool held() const { return held_; }
  bool speed_debounce() const { return speed_debounce_; }
  // Timers 100-106 by id.
  WindowTimers& timers() { return timers_; }

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void closeEvent(QCloseEvent*) override;
  void reject() override;

 private:
  using MessageHandler = void (CQuorbexDlg::*)(const platform::Message&);
  using CommandHandler = void (CQuorbexDlg::*)();

  void CreateControls();
  void RepaintView(int slot);
  void SetVolume(int volume, bool write);

  // Commands.
  void OnClose();
  void OnMinimise();
  void OnSize();
  void OnFilter();
  void ForwardCommand();
  void Ignore() {}

  // Messages.
  void OnSliderMoved(const platform::Message& m);
  void OnSliderDragStart(const platform::Message& m);
  void OnSliderDragEnd(const platform::Message& m);
  void OnReapplyViews(const platform::Message& m);
  void OnProgress(const platform::Message& m);
  void OnAxisToggle(const platform::Message& m);
  void ForwardMessage(const platform::Message& m);
  void OnDeferredInit(const platform::Message& m);
  void IgnoreMessage(const platform::Message&) {}

  static const std::map<int, CommandHandler>& CommandTable();
  static const std::map<std::uint32_t, MessageHandler>& MessageTable();

  QtMessageSink sink_;
  GenerationSink player_sink_;
  player::ViewPair views_;
  std::shared_ptr<platform::NamedMutex> cache_mutex_;
  std::shared_ptr<platform::NamedMutex> crash_point_mutex_;

  std::array<CSkinButton*, kBarButtons> bar_{};
  CSkinButton* close_ = nullptr;
  CSkinButton* size_ = nullptr;
  CSkinButton* minimise_ = nullptr;
  CSkinSliderCtrl* position_slider_ = nullptr;
  CSkinSliderCtrl* volume_slider_ = nullptr;
  CSkinProgressBarCtrl* progress_ = nullptr;
  library::CFilerContainerDlg* filer_ = nullptr;
  CLogoDlg* logo_ = nullptr;
  QWidget* info_panel_ = nullptr;
  mapview::CInfoDlg* info_ = nullptr;  // the same widget as info_panel_
  mapview::CGSensorDlg* graph_ = nullptr;
  CMovieDialog* floating_ = nullptr;
  std::array<CMovieStatic*, 2> movie_{};

  COffScreenDC surface_;
  WindowTimers timers_;
  int size_mode_ = 0;
  int volume_ = kMaxVolume;
  bool keep_aspect_ = true;
  bool loaded_ = false;
  bool held_ = false;
  bool speed_debounce_ = false;
  int last_command_ = 0;  // the command being run, for handlers shared by several ids
  bool shut_down_ = false;
  bool dragging_ = false;
  QPoint grab_;
  // Last: they use the views, the list and the timers; the playback
  // controller wraps the opener's hooks.
  std::unique_ptr<RecordingOpener> opener_;
  std::unique_ptr<RecordingAdvance> advance_;
  std::unique_ptr<PlaybackController> playback_;
  std::unique_ptr<ViewModes> view_modes_;
  std::unique_ptr<SourceCommand> source_command_;
  std::unique_ptr<InfoPanelLink> panels_;
  std::unique_ptr<MapController> map_;
  std::unique_ptr<UpdateCheckLink> update_check_;
  std::unique_ptr<SettingsLink> settings_;
  std::unique_ptr<FileWorkerHost> files_;
  std::unique_ptr<StillCommand> still_;
  std::unique_ptr<DeleteCommand> delete_;
  std::unique_ptr<JoinCommand> join_;
  std::unique_ptr<CsvCommand> csv_;
};

}  // namespace viewer
