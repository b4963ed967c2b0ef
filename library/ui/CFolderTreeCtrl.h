#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <functional>
#include <unordered_map>

#include "library/FolderTree.h"

namespace library {

// The folder-and-group tree, drawn by itself: selected rows on RGB(0, 204,
// 255) with white text, others on white; below the top level a badge of the
// item's triggers beside the text.
class CFolderTreeCtrl : public QAbstractScrollArea {
 public:
  static constexpr int kRowHeight = 26;
  explicit CFolderTreeCtrl(QWidget* parent);

  // The model the tree shows; rebuild after it changed.
  void SetTree(FolderTree* tree);
  void Rebuild();
  void Select(TreeItem* item);
  TreeItem* selected() const { return selected_; }
  // Handed the newly selected item, straight away (the owner's 0x8456 handler).
  std::function<void(TreeItem*)> on_selection_changed;

  // The badge for a trigger summary: the base and one overlay per bit.
  static QImage Badge(std::uint32_t summary);
  // The badge as drawn beside an item (white transparent), composed on its
  // first use and kept: it depends on the summary and the skin images alone.
  const QImage& KeyedBadge(std::uint32_t summary);
  std::size_t badges_built() const { return keyed_badges_.size(); }
  std::vector<const TreeItem*> VisibleItems() const { return {rows_.begin(), rows_.end()}; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void resizeEvent(QResizeEvent*) override;

 private:
  void Collect(const std::vector<std::unique_ptr<TreeItem>>& items);
  void UpdateScroll();
  FolderTree* tree_ = nullptr;
  std::vector<TreeItem*> rows_;  // the visible items, top to bottom
  TreeItem* selected_ = nullptr;
  std::unordered_map<std::uint32_t, QImage> keyed_badges_;
};

}  // namespace library
