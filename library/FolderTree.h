#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace library {

// One item of the folder-and-group tree: a folder name or a group name, with
// the trigger summary of its recordings in data.
struct TreeItem {
  std::string text;
  std::uint32_t data = 0;
  bool expanded = false;
  TreeItem* parent = nullptr;
  std::vector<std::unique_ptr<TreeItem>> children;
};

// The tree the recording list shows on its left, as a plain model. It never
// holds more than kMaxItems items.
class FolderTree {
 public:
  static constexpr std::size_t kMaxItems = 1500;

  // Appends an item as the last child of parent (null: top level); null when
  // the tree is full.
  TreeItem* Insert(TreeItem* parent, std::string text);
  void Clear();
  void DeleteChildren(TreeItem* item);
  // Root path, then "/" and each item's text from the top down.
  std::filesystem::path PathOf(const TreeItem* item) const;
  int DepthOf(const TreeItem* item) const;
  // The item after this one under the same parent; null for the last.
  TreeItem* NextSibling(const TreeItem* item) const;
  // Expands the item and all its ancestors.
  void ExpandWithAncestors(TreeItem* item);

  std::size_t size() const { return count_; }
  bool full() const { return count_ >= kMaxItems; }
  const std::vector<std::unique_ptr<TreeItem>>& top() const { return top_; }
  TreeItem* FirstTopLevel() const { return top_.empty() ? nullptr : top_.front().get(); }
  void set_root_path(std::filesystem::path root) { root_path_ = std::move(root); }
  const std::filesystem::path& root_path() const { return root_path_; }

 private:
  std::size_t CountOf(const TreeItem& item) const;
  std::filesystem::path root_path_;
  std::vector<std::unique_ptr<TreeItem>> top_;
  std::size_t count_ = 0;
};

}  // namespace library
