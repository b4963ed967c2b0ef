#pragma once

#include <QImage>
#include <functional>
#include <unordered_map>

#include "library/FolderTree.h"
#include "viewer/skin/CRowScrollArea.h"

namespace library {

// The folder-and-group tree, drawn by itself: selected rows on RGB(0, 204,
// 255) with white text, others on white; below the top level a badge of the
// item's triggers beside the text. An item with children has an expander in
// front of its icon; a click on it or a double click on the item collapses or
// expands it. Up and Down select the next item in view, Left collapses or
// goes to the parent, Right expands or goes to the first child; a selection by
// key is reported as one by click.
class CFolderTreeCtrl : public viewer::CRowScrollArea {
 public:
  static constexpr int kRowHeight = 26;
  explicit CFolderTreeCtrl(QWidget* parent);

  // The model the tree shows; rebuild after it changed.
  void SetTree(FolderTree* tree);
  void Rebuild();
  void Select(TreeItem* item);
  // Expands the item and its ancestors.
  void Expand(TreeItem* item);
  // Collapses the item; a selection it hides moves to the item (and is reported).
  void Collapse(TreeItem* item);
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
  int RowCount() const override { return static_cast<int>(rows_.size()); }
  void DrawRow(QPainter& painter, int row, const QRect& rect) override;
  int KeyRow() const override;
  void MoveToRow(int row) override;
  void keyPressEvent(QKeyEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;

 private:
  void Collect(const std::vector<std::unique_ptr<TreeItem>>& items);
  // The expander's box of an item drawn in that row rectangle.
  QRect ExpanderBox(const TreeItem* item, const QRect& row) const;
  // The item drawn at a viewport point, and whether the point is on its expander.
  TreeItem* ItemAt(const QPoint& at, bool* on_expander) const;
  void Toggle(TreeItem* item);
  FolderTree* tree_ = nullptr;
  std::vector<TreeItem*> rows_;  // the visible items, top to bottom
  TreeItem* selected_ = nullptr;
  std::unordered_map<std::uint32_t, QImage> keyed_badges_;
  // The item the last press selected and expanded, and when: the double
  // click that follows must not collapse it again.
  TreeItem* expanded_by_press_ = nullptr;
  quint64 press_time_ = 0;
};

}  // namespace library
