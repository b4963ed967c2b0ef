#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "library/FolderTree.h"
#include "library/RecordingEntry.h"
#include "library/SourceWatcher.h"
#include "platform/FileSystem.h"
#include "platform/MessageSink.h"
#include "recording/SensorSamples.h"

namespace library {

enum class SourceKind { kNone = 0, kCard = 1, kFolder = 2, kFile = 3 };

// Turns a source (a card, a folder or one file) into the folder-and-group
// tree, the entries of the selected tree item and the list of all
// recordings, and reads the recorder's firmware version from a card. This is
// the logic of the recording-list container; its window shows the tree and
// the entries. Runs on one thread (the UI thread); only the watcher has a
// thread of its own.
class SourceScanner {
 public:
  static constexpr std::size_t kMaxEntries = 1000;
  static constexpr int kMaxDepth = 2;

  // The recording check (the "ftyp" test) and the data-header reader; the
  // defaults read the files directly.
  using RecordingCheck = std::function<bool(const std::filesystem::path&)>;
  using HeaderReader = std::function<bool(const std::filesystem::path& video, recording::SensorDataHeader*)>;

  explicit SourceScanner(platform::MessageSink* owner);

  void OpenSource(const std::filesystem::path& path, SourceKind kind);
  // Picks the source by itself (card first, then the stored folder, then the
  // stored file), opens it and selects the initial item.
  bool ReloadSource();
  // The item to select after a source is opened.
  TreeItem* InitialItem() const;
  // Rebuilds the item's children and fills the entries; returns their number.
  std::size_t SelectItem(TreeItem* item);
  // Drops the listed entries (the source went away); the tree stays.
  void ClearEntries();
  const std::vector<RecordingEntry>& CollectAllRecordings();
  std::string ComputeFirmwareVersion();
  unsigned FolderTriggerSummary(const std::filesystem::path& folder);
  bool AddEntry(const std::filesystem::path& path, std::vector<RecordingEntry>& into);
  static void AddPlaceholder(const std::filesystem::path& path, std::vector<RecordingEntry>& into);

  void set_recording_check(RecordingCheck check) { check_ = std::move(check); }
  void set_header_reader(HeaderReader reader) { header_reader_ = std::move(reader); }
  // Called whenever the entries were replaced and the list must show them.
  std::function<void()> on_entries_changed;

  FolderTree& tree() { return tree_; }
  const std::vector<RecordingEntry>& entries() const { return entries_; }
  const std::vector<RecordingEntry>& placeholders() const { return placeholders_; }
  const std::vector<RecordingEntry>& all_recordings() const { return all_recordings_; }
  SourceKind kind() const { return kind_; }
  const std::filesystem::path& source_path() const { return source_path_; }
  const std::string& firmware_version() const { return firmware_version_; }
  // What the container's path field shows.
  const std::filesystem::path& shown_path() const { return shown_path_; }
  TreeItem* selected_item() const { return selected_; }
  SourceWatcher& watcher() { return watcher_; }

 private:
  struct WalkResult {
    bool ok = false;
    std::filesystem::path camera_folder;
  };
  WalkResult Walk(const std::filesystem::path& folder, TreeItem* parent, std::vector<RecordingEntry>* entries,
                  std::vector<RecordingEntry>* placeholders, bool show_summary, int depth, int* count);
  bool BuildGroups(const std::filesystem::path& camera, TreeItem* parent, std::vector<RecordingEntry>* placeholders,
                   bool show_summary);
  bool CollectGroup(const std::filesystem::path& camera, const std::string& group, std::vector<RecordingEntry>* entries,
                    int* count);
  bool WalkSubfolders(const std::filesystem::path& folder, TreeItem* parent, std::vector<RecordingEntry>* entries,
                      std::vector<RecordingEntry>* placeholders, bool show_summary, int depth, int* count);
  void Collect(const std::filesystem::path& folder, std::vector<RecordingEntry>& into, int* count, int depth);
  int ProbeFolder(const std::filesystem::path& folder);
  std::filesystem::path CameraFolder(const std::filesystem::path& folder);
  // A main-camera MOV file the recording check accepts.
  bool IsPlayableMainFile(const std::filesystem::path& folder, const platform::DirectoryEntry& e);
  // The folder's listing in recording order; empty on failure.
  std::optional<std::vector<platform::DirectoryEntry>> ListInRecordingOrder(const std::filesystem::path& folder);
  // A folder's listing in name order without the symbolic links that are not
  // followed: every link to a file (the file is listed where it is, or lies
  // outside the source), and every link to a folder that is, holds or lies
  // inside a folder the walk already covers.
  std::optional<std::vector<platform::DirectoryEntry>> List(const std::filesystem::path& folder);
  // Starts a walk (open, select, collect) from the source and from start.
  void BeginWalk(const std::filesystem::path& start);
  bool FollowLink(const std::filesystem::path& link);
  bool OverlapsWalkedTree(const std::string& resolved) const;
  void EntriesChanged();
  bool Check(const std::filesystem::path& file);

  FolderTree tree_;
  std::vector<RecordingEntry> entries_;
  std::vector<RecordingEntry> placeholders_;
  std::vector<RecordingEntry> all_recordings_;
  SourceKind kind_ = SourceKind::kNone;
  std::filesystem::path source_path_;
  std::filesystem::path shown_path_;
  std::string firmware_version_;
  TreeItem* selected_ = nullptr;
  std::int32_t serial_ = 0;
  RecordingCheck check_;
  // Answers of the recording check since the source was opened: groups,
  // summaries, every selected item and the list of all recordings ask about
  // the same files, and each file is opened for the check once per scan.
  std::unordered_map<std::string, bool> checked_;
  // For the current walk: the resolved folders it covers (the source, the
  // selected item's folder and every link target followed), and the links
  // met with whether they are followed, so that a link loop neither recurses
  // nor lists a file twice.
  std::vector<std::string> walked_trees_;
  std::unordered_map<std::string, bool> followed_links_;
  HeaderReader header_reader_;
  SourceWatcher watcher_;
};

// The form a source path is kept in: absolute (a relative path is taken from
// the current folder), without "." and ".." parts and without a trailing
// separator, so "c30", "./c30/" and "/media/card/" name their folders.
std::filesystem::path NormalizeSourcePath(const std::filesystem::path& path);

// What a path given by the user is as a source: a card when it is the mount
// point of a volume laid out as the recorder's card, a folder, a single file
// when it passes the recording check, otherwise kNone.
SourceKind DetectSourceKind(const std::filesystem::path& path);

// Puts entries whose name is a recording name first, each part in sequence
// number order (characters 18 to 23 of the name).
void SortInRecordingOrder(std::vector<RecordingEntry>& entries);

}  // namespace library
