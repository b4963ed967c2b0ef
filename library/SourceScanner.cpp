#include "library/SourceScanner.h"

#include <algorithm>

#include "library/RecordingNames.h"
#include "recording/CompanionPath.h"
#include "recording/MappedFileReader.h"
#include "recording/SensorDataFile.h"
#include "viewer/settings/FolderIni.h"

namespace library {
namespace {

std::string_view SequenceKey(std::string_view name) { return name.size() > 18 ? name.substr(18, 6) : std::string_view(); }

template <typename T, typename NameOf>
void RecordingOrder(std::vector<T>& items, NameOf name_of) {
  const auto middle = std::stable_partition(items.begin(), items.end(),
                                            [&](const T& item) { return IsRecordingName(name_of(item)); });
  const auto by_sequence = [&](const T& a, const T& b) { return SequenceKey(name_of(a)) < SequenceKey(name_of(b)); };
  std::stable_sort(items.begin(), middle, by_sequence);
  std::stable_sort(middle, items.end(), by_sequence);
}

void PutInRecordingOrder(std::vector<platform::DirectoryEntry>& listing) {
  RecordingOrder(listing, [](const platform::DirectoryEntry& e) -> std::string_view { return e.name; });
}

bool IsDots(const platform::DirectoryEntry& e) { return e.name == "." || e.name == ".."; }

bool ByName(const platform::DirectoryEntry& a, const platform::DirectoryEntry& b) { return a.name < b.name; }

}  // namespace

std::filesystem::path NormalizeSourcePath(const std::filesystem::path& path) {
  if (path.empty()) return path;
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(path, ec);
  if (ec) full = path;
  full = full.lexically_normal();
  if (!full.has_filename() && full.has_relative_path()) full = full.parent_path();
  return full;
}

SourceKind DetectSourceKind(const std::filesystem::path& given_path) {
  const std::filesystem::path path = NormalizeSourcePath(given_path);
  platform::FileSystem& fs = platform::Fs();
  if (fs.IsDirectory(path)) {
    return fs.MountPointOf(path) == path && IsCardLayout(path) ? SourceKind::kCard : SourceKind::kFolder;
  }
  return recording::IsRecording(path) ? SourceKind::kFile : SourceKind::kNone;
}

void SortInRecordingOrder(std::vector<RecordingEntry>& entries) {
  RecordingOrder(entries, [](const RecordingEntry& e) -> std::string_view { return e.name; });
}

SourceScanner::SourceScanner(platform::MessageSink* owner)
    : check_([](const std::filesystem::path& p) { return recording::IsRecording(p); }),
      header_reader_([](const std::filesystem::path& video, recording::SensorDataHeader* header) {
        return recording::ReadHeaderOnly(video, header);
      }),
      watcher_(owner) {}

void SourceScanner::EntriesChanged() {
  if (on_entries_changed) on_entries_changed();
}

bool SourceScanner::OverlapsWalkedTree(const std::string& resolved) const {
  const auto inside = [](const std::string& path, const std::string& folder) {
    return path.rfind(folder, 0) == 0 &&
           (path.size() == folder.size() || folder.back() == '/' || path[folder.size()] == '/');
  };
  return std::any_of(walked_trees_.begin(), walked_trees_.end(), [&](const std::string& tree) {
    return inside(resolved, tree) || inside(tree, resolved);
  });
}

void SourceScanner::BeginWalk(const std::filesystem::path& start) {
  walked_trees_.clear();
  followed_links_.clear();
  for (const std::filesystem::path& folder : {source_path_, start}) {
    const std::string resolved = platform::Fs().Resolve(folder).string();
    if (!resolved.empty() && !OverlapsWalkedTree(resolved)) walked_trees_.push_back(resolved);
  }
}

bool SourceScanner::FollowLink(const std::filesystem::path& link) {
  auto [it, added] = followed_links_.try_emplace(link.string(), false);
  if (added) {
    const std::string target = platform::Fs().Resolve(link).string();
    it->second = !target.empty() && !OverlapsWalkedTree(target);
    if (it->second) walked_trees_.push_back(target);
  }
  return it->second;
}

std::optional<std::vector<platform::DirectoryEntry>> SourceScanner::List(const std::filesystem::path& folder) {
  auto listing = platform::Fs().ListDirectory(folder);
  const auto is_link = [](const platform::DirectoryEntry& e) { return e.is_link; };
  if (listing && std::any_of(listing->begin(), listing->end(), is_link)) {
    // In name order, so that of two links to one folder the same one is kept.
    std::sort(listing->begin(), listing->end(), ByName);
    std::erase_if(*listing, [&](const platform::DirectoryEntry& e) {
      return e.is_link && (!e.is_directory || !FollowLink(folder / e.name));
    });
  }
  return listing;
}

std::optional<std::vector<platform::DirectoryEntry>> SourceScanner::ListInRecordingOrder(
    const std::filesystem::path& folder) {
  auto listing = List(folder);
  if (listing) PutInRecordingOrder(*listing);
  return listing;
}

bool SourceScanner::Check(const std::filesystem::path& file) {
  auto [it, added] = checked_.try_emplace(file.string(), false);
  if (added) it->second = check_(file);
  return it->second;
}

bool SourceScanner::IsPlayableMainFile(const std::filesystem::path& folder, const platform::DirectoryEntry& e) {
  return !e.is_directory && HasMovExtension(e.name) && IsMainCameraName(e.name) && Check(folder / e.name);
}

bool SourceScanner::AddEntry(const std::filesystem::path& path, std::vector<RecordingEntry>& into) {
  const std::string name = path.filename().string();
  if (!HasMovExtension(name)) return false;
  platform::FileSystem& fs = platform::Fs();
  const auto main_size = fs.FileSize(path);
  if (!main_size) return false;
  RecordingEntry entry;
  entry.path = path.string();
  entry.name = name;
  entry.main_size = *main_size;
  entry.sub_size = fs.FileSize(recording::CompanionPath(path, recording::Companion::kOtherCamera)).value_or(0);
  entry.data_size = fs.FileSize(recording::DataPath(path)).value_or(0);
  entry.serial = serial_++;
  entry.trigger_code = TriggerCode(name);
  into.push_back(std::move(entry));
  return true;
}

void SourceScanner::AddPlaceholder(const std::filesystem::path& path, std::vector<RecordingEntry>& into) {
  RecordingEntry entry;
  entry.path = path.string();
  entry.name = path.filename().string();
  entry.serial = -1;
  entry.main_size = entry.sub_size = entry.data_size = RecordingEntry::kNoSize;
  into.push_back(std::move(entry));
}

int SourceScanner::ProbeFolder(const std::filesystem::path& folder) {
  const auto listing = List(folder);
  if (!listing) return 2;
  for (const auto& e : *listing) {
    if ((e.is_directory && e.name == "Main") || (!e.is_directory && IsMainCameraName(e.name))) return 1;
  }
  return 0;
}

std::filesystem::path SourceScanner::CameraFolder(const std::filesystem::path& folder) {
  const std::filesystem::path main = folder / "Main";
  return platform::Fs().Exists(main) ? main : folder;
}

SourceScanner::WalkResult SourceScanner::Walk(const std::filesystem::path& folder, TreeItem* parent,
                                              std::vector<RecordingEntry>* entries,
                                              std::vector<RecordingEntry>* placeholders, bool show_summary, int depth,
                                              int* count) {
  switch (ProbeFolder(folder)) {
    case 1: {
      const std::filesystem::path camera = CameraFolder(folder);
      return {BuildGroups(camera, parent, placeholders, show_summary), camera};
    }
    case 2: {
      // A group item names a folder that does not exist: collect its group
      // from the camera folder above it.
      const std::filesystem::path camera = CameraFolder(folder.parent_path());
      return {CollectGroup(camera, folder.filename().string(), entries, count), camera};
    }
    default:
      return {WalkSubfolders(folder, parent, entries, placeholders, show_summary, depth, count), folder};
  }
}

bool SourceScanner::BuildGroups(const std::filesystem::path& camera, TreeItem* parent,
                                std::vector<RecordingEntry>* placeholders, bool show_summary) {
  const auto listing = ListInRecordingOrder(camera);
  if (!listing) return false;
  GroupState state;
  std::string last_inserted;
  TreeItem* group_item = nullptr;
  unsigned summary = 0;
  auto store_summary = [&] {
    if (group_item != nullptr && show_summary) {
      group_item->data = summary;
      tree_.ExpandWithAncestors(group_item);
    }
  };
  for (const auto& e : *listing) {
    if (!IsPlayableMainFile(camera, e)) continue;
    const std::string group = GroupOfFile(e.name, state);
    if (tree_.full()) continue;
    if (group != last_inserted) {
      store_summary();
      summary = 0;
      group_item = tree_.Insert(parent, group);
      last_inserted = group;
      if (placeholders != nullptr) AddPlaceholder(camera / e.name, *placeholders);
    }
    if (show_summary) summary |= TriggerBits(e.name);
  }
  store_summary();
  return true;
}

bool SourceScanner::CollectGroup(const std::filesystem::path& camera, const std::string& group,
                                 std::vector<RecordingEntry>* entries, int* count) {
  const auto listing = ListInRecordingOrder(camera);
  if (!listing) return false;
  GroupState state;
  for (const auto& e : *listing) {
    if (!IsPlayableMainFile(camera, e)) continue;
    if (GroupOfFile(e.name, state) != group) continue;
    if (count != nullptr) ++*count;
    if (entries != nullptr && entries->size() < kMaxEntries) AddEntry(camera / e.name, *entries);
  }
  return true;
}

bool SourceScanner::WalkSubfolders(const std::filesystem::path& folder, TreeItem* parent,
                                   std::vector<RecordingEntry>* entries, std::vector<RecordingEntry>* placeholders,
                                   bool show_summary, int depth, int* count) {
  auto listing = List(folder);
  if (!listing) return false;
  std::stable_sort(listing->begin(), listing->end(), ByName);
  for (const auto& e : *listing) {
    if (!e.is_directory || IsDots(e) || depth > kMaxDepth || tree_.full()) continue;
    TreeItem* item = tree_.Insert(parent, e.name);
    if (item == nullptr || !show_summary || placeholders == nullptr) continue;
    int own_count = 0;
    const WalkResult walked = Walk(folder / e.name, item, entries, placeholders, show_summary, depth + 1, &own_count);
    if (walked.ok) {
      AddPlaceholder(walked.camera_folder, *placeholders);
      item->data = FolderTriggerSummary(walked.camera_folder);
    }
  }
  for (const auto& e : *listing) {
    if (e.is_directory || !IsPlayableMainFile(folder, e)) continue;
    if (count != nullptr) ++*count;
    if (entries != nullptr && entries->size() < kMaxEntries) AddEntry(folder / e.name, *entries);
  }
  return true;
}

unsigned SourceScanner::FolderTriggerSummary(const std::filesystem::path& folder) {
  const auto listing = List(folder);
  if (!listing) return 0;
  unsigned bits = 0;
  for (const auto& e : *listing) {
    if (!IsDots(e) && IsPlayableMainFile(folder, e)) bits |= TriggerBits(e.name);
  }
  return bits;
}

void SourceScanner::OpenSource(const std::filesystem::path& given_path, SourceKind kind) {
  const std::filesystem::path path = NormalizeSourcePath(given_path);
  checked_.clear();
  serial_ = 0;
  entries_.clear();
  tree_.Clear();
  selected_ = nullptr;
  kind_ = kind;
  source_path_ = path;
  watcher_.Watch(path);
  BeginWalk(path);
  platform::FileSystem& fs = platform::Fs();
  switch (kind) {
    case SourceKind::kCard: {
      tree_.set_root_path(path);
      const bool card = fs.Exists(path / "Normal") || fs.Exists(path / "Parking");
      Walk(path, nullptr, &entries_, &placeholders_, card, 0, nullptr);
      selected_ = tree_.FirstTopLevel();
      firmware_version_ = ComputeFirmwareVersion();
      break;
    }
    case SourceKind::kFolder: {
      const std::string text = path.string();
      const std::size_t slash = text.rfind('/');
      tree_.set_root_path(slash == std::string::npos ? std::string() : text.substr(0, slash));
      TreeItem* top = tree_.Insert(nullptr, slash == std::string::npos ? text : text.substr(slash + 1));
      Walk(text, top, &entries_, nullptr, false, 0, nullptr);
      SortInRecordingOrder(entries_);
      selected_ = tree_.FirstTopLevel();
      break;
    }
    case SourceKind::kFile:
      if (Check(path)) {
        AddEntry(path, entries_);
        tree_.set_root_path(path.parent_path());
        shown_path_ = path.parent_path();
        EntriesChanged();
      }
      break;
    case SourceKind::kNone:
      break;
  }
}

TreeItem* SourceScanner::InitialItem() const {
  TreeItem* first = tree_.FirstTopLevel();
  if (first == nullptr) return nullptr;
  if (IsTopFolderName(first->text)) {
    if (!first->children.empty() && IsGroupName(first->children.front()->text)) return first->children.front().get();
  }
  return first;
}

std::size_t SourceScanner::SelectItem(TreeItem* item) {
  const std::filesystem::path path = item != nullptr ? tree_.PathOf(item) : std::filesystem::path();
  if (path.empty()) return 0;
  BeginWalk(path);
  selected_ = item;
  shown_path_ = path;
  entries_.clear();
  serial_ = 0;
  tree_.DeleteChildren(item);
  Walk(path, item, &entries_, nullptr, kind_ == SourceKind::kCard, tree_.DepthOf(item), nullptr);
  SortInRecordingOrder(entries_);
  tree_.ExpandWithAncestors(item);
  EntriesChanged();
  return entries_.size();
}

void SourceScanner::ClearEntries() {
  entries_.clear();
  EntriesChanged();
}

bool SourceScanner::ReloadSource() {
  // The tree goes first; nothing may keep pointing into it, and the list of
  // the old source goes with it, so a failed reload leaves an empty source.
  tree_.Clear();
  selected_ = nullptr;
  entries_.clear();
  platform::FileSystem& fs = platform::Fs();
  const auto volumes = fs.RemovableVolumes();
  for (auto it = volumes.rbegin(); it != volumes.rend(); ++it) {
    if (fs.Exists(*it)) {
      OpenSource(*it, SourceKind::kCard);
      SelectItem(InitialItem());
      return true;
    }
  }
  const std::string folder = viewer::ReadFolderIni(viewer::kSectionSource, viewer::kKeyFolder);
  if (!folder.empty() && fs.IsDirectory(folder)) {
    OpenSource(folder, SourceKind::kFolder);
    SelectItem(InitialItem());
    return true;
  }
  const std::string file = viewer::ReadFolderIni(viewer::kSectionSource, viewer::kKeyFile);
  if (!file.empty() && fs.Exists(file) && IsRecordingName(std::filesystem::path(file).filename().string())) {
    OpenSource(file, SourceKind::kFile);
    return true;
  }
  EntriesChanged();
  return false;
}

void SourceScanner::Collect(const std::filesystem::path& folder, std::vector<RecordingEntry>& into, int* count,
                            int depth) {
  auto listing = List(folder);
  if (!listing) return;
  // Subfolders in the tree's order (Normal before Parking), whatever order
  // the file system lists them in; then the files in recording order.
  std::stable_sort(listing->begin(), listing->end(), ByName);
  for (const auto& e : *listing) {
    if (!e.is_directory || IsDots(e) || depth > kMaxDepth) continue;
    std::vector<RecordingEntry> sub;
    int own_count = 0;
    Collect(folder / e.name, sub, &own_count, depth + 1);
    if (own_count > 0) SortInRecordingOrder(sub);
    into.insert(into.end(), sub.begin(), sub.end());
  }
  PutInRecordingOrder(*listing);
  for (const auto& e : *listing) {
    if (e.is_directory) continue;
    if (count != nullptr) ++*count;
    if (HasMovExtension(e.name) && Check(folder / e.name) && IsMainCameraName(e.name)) AddEntry(folder / e.name, into);
  }
}

const std::vector<RecordingEntry>& SourceScanner::CollectAllRecordings() {
  all_recordings_.clear();
  BeginWalk(source_path_);
  serial_ = 0;
  switch (kind_) {
    case SourceKind::kCard:
      Collect(tree_.root_path(), all_recordings_, nullptr, 0);
      break;
    case SourceKind::kFolder:
      if (TreeItem* first = tree_.FirstTopLevel()) Collect(tree_.PathOf(first), all_recordings_, nullptr, 0);
      break;
    case SourceKind::kFile:
      AddEntry(source_path_, all_recordings_);
      break;
    case SourceKind::kNone:
      break;
  }
  return all_recordings_;
}

std::string SourceScanner::ComputeFirmwareVersion() {
  std::vector<RecordingEntry> sorted = placeholders_;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const RecordingEntry& a, const RecordingEntry& b) { return a.path < b.path; });
  // Only the newest file's name matters here, so the files are not opened.
  std::vector<RecordingEntry> files;
  for (const RecordingEntry& p : sorted) {
    const bool camera_folder = p.name == "Main" && (p.path.find("Normal/Main") != std::string::npos ||
                                                    p.path.find("Parking/Main") != std::string::npos);
    if (!camera_folder || !platform::Fs().IsDirectory(p.path)) continue;
    auto listing = List(p.path);
    if (!listing) continue;
    std::stable_sort(listing->begin(), listing->end(), ByName);
    for (const auto& e : *listing) {
      if (e.is_directory || !HasMovExtension(e.name) || TriggerOf(e.name) == nullptr) continue;
      RecordingEntry entry;
      entry.path = (std::filesystem::path(p.path) / e.name).string();
      entry.name = e.name;
      files.push_back(std::move(entry));
    }
  }
  SortInRecordingOrder(files);
  recording::SensorDataHeader header;
  if (files.empty() || !header_reader_(files.back().path, &header)) return {};
  auto number = [&](int i) {
    int v = 0;
    for (int k = 0; k < 2; ++k) {
      const char c = header.version[static_cast<std::size_t>(2 * i + k)];
      if (c < '0' || c > '9') break;
      v = v * 10 + (c - '0');
    }
    return v;
  };
  return std::to_string(number(0)) + "." + std::to_string(number(1)) + "." + std::to_string(number(2));
}

}  // namespace library
