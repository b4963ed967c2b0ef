#include "library/FolderTree.h"

#include <algorithm>

namespace library {

TreeItem* FolderTree::Insert(TreeItem* parent, std::string text) {
  if (full()) return nullptr;
  auto item = std::make_unique<TreeItem>();
  item->text = std::move(text);
  item->parent = parent;
  TreeItem* raw = item.get();
  (parent ? parent->children : top_).push_back(std::move(item));
  ++count_;
  return raw;
}

void FolderTree::Clear() {
  top_.clear();
  count_ = 0;
}

std::size_t FolderTree::CountOf(const TreeItem& item) const {
  std::size_t n = 1;
  for (const auto& child : item.children) n += CountOf(*child);
  return n;
}

void FolderTree::DeleteChildren(TreeItem* item) {
  if (item == nullptr) return;
  for (const auto& child : item->children) count_ -= CountOf(*child);
  item->children.clear();
}

std::filesystem::path FolderTree::PathOf(const TreeItem* item) const {
  std::vector<const TreeItem*> chain;
  for (const TreeItem* i = item; i != nullptr; i = i->parent) chain.push_back(i);
  std::string path = root_path_.string();
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) path += "/" + (*it)->text;
  return path;
}

TreeItem* FolderTree::NextSibling(const TreeItem* item) const {
  if (item == nullptr) return nullptr;
  const auto& siblings = item->parent != nullptr ? item->parent->children : top_;
  for (std::size_t i = 0; i + 1 < siblings.size(); ++i) {
    if (siblings[i].get() == item) return siblings[i + 1].get();
  }
  return nullptr;
}

int FolderTree::DepthOf(const TreeItem* item) const {
  int depth = 0;
  for (const TreeItem* i = item ? item->parent : nullptr; i != nullptr; i = i->parent) ++depth;
  return depth;
}

void FolderTree::ExpandWithAncestors(TreeItem* item) {
  for (TreeItem* i = item; i != nullptr; i = i->parent) i->expanded = true;
}

}  // namespace library
