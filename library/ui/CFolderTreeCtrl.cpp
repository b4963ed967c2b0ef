#include "library/ui/CFolderTreeCtrl.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>
#include <algorithm>

#include "library/RecordingNames.h"
#include "viewer/skin/CResourceImage.h"

namespace library {
namespace {

constexpr int kFolderIcon = 3, kGroupIcon = 19, kBadgeBase = 319;
// Overlays of the two summary bits that no trigger letter gives.
constexpr std::pair<std::uint32_t, int> kOtherOverlays[] = {{0x20, 346}, {0x40, 347}};

// The overlay image of one summary bit; 0 when the base alone stands for it.
int OverlayOf(std::uint32_t bit) {
  if (const TriggerRow* row = TriggerRowOfBit(bit)) return row->badge_overlay;
  for (const auto& [other, image] : kOtherOverlays) {
    if (other == bit) return image;
  }
  return 0;
}

QImage WhiteKeyed(const QImage& source) { return viewer::CResourceImage::WithTransparent(source, qRgb(255, 255, 255)); }

// The expander is a 9-pixel box; a click within 3 pixels of it counts.
constexpr int kExpanderSize = 9, kExpanderSlack = 3;

bool IsWithin(const TreeItem* item, const TreeItem* ancestor) {
  for (; item != nullptr; item = item->parent) {
    if (item == ancestor) return true;
  }
  return false;
}

}  // namespace

CFolderTreeCtrl::CFolderTreeCtrl(QWidget* parent) : CRowScrollArea(parent, kRowHeight) { setFrameShape(QFrame::NoFrame); }

void CFolderTreeCtrl::SetTree(FolderTree* tree) {
  tree_ = tree;
  selected_ = nullptr;
  Rebuild();
}

void CFolderTreeCtrl::Collect(const std::vector<std::unique_ptr<TreeItem>>& items) {
  for (const auto& item : items) {
    rows_.push_back(item.get());
    if (item->expanded) Collect(item->children);
  }
}

void CFolderTreeCtrl::Rebuild() {
  rows_.clear();
  if (tree_ != nullptr) Collect(tree_->top());
  if (std::find(rows_.begin(), rows_.end(), selected_) == rows_.end()) selected_ = nullptr;
  if (std::find(rows_.begin(), rows_.end(), expanded_by_press_) == rows_.end()) expanded_by_press_ = nullptr;
  RowsChanged();
}

void CFolderTreeCtrl::Select(TreeItem* item) {
  if (item == selected_) return;
  selected_ = item;
  if (item != nullptr && !item->children.empty()) {
    Expand(item);
  } else {
    Rebuild();
  }
  if (on_selection_changed) on_selection_changed(item);
  Rebuild();  // the handler rebuilt the item's children
}

void CFolderTreeCtrl::Expand(TreeItem* item) {
  tree_->ExpandWithAncestors(item);
  Rebuild();
}

void CFolderTreeCtrl::Collapse(TreeItem* item) {
  if (selected_ != item && IsWithin(selected_, item)) {
    Select(item);  // reported as a click is; listing the item expands it again
  }
  item->expanded = false;
  Rebuild();
}

void CFolderTreeCtrl::Toggle(TreeItem* item) {
  if (item->expanded) {
    Collapse(item);
  } else {
    Expand(item);
  }
}

int CFolderTreeCtrl::KeyRow() const {
  const auto it = std::find(rows_.begin(), rows_.end(), selected_);
  return it == rows_.end() ? -1 : static_cast<int>(it - rows_.begin());
}

void CFolderTreeCtrl::MoveToRow(int row) { Select(rows_[static_cast<std::size_t>(row)]); }

QImage CFolderTreeCtrl::Badge(std::uint32_t summary) {
  QImage badge(39, 26, QImage::Format_RGB32);
  badge.fill(Qt::white);
  QPainter p(&badge);
  const QImage& base = viewer::CResourceImage::Get(kBadgeBase);
  if (!base.isNull()) p.drawImage(0, 0, base);
  // Overlays in bit order: where two overlap, the higher bit's lies on top.
  for (std::uint32_t bit = 0x01; bit <= 0x40; bit <<= 1) {
    const int image = OverlayOf(bit);
    if ((summary & bit) && image != 0 && !viewer::CResourceImage::Get(image).isNull()) {
      p.drawImage(0, 0, WhiteKeyed(viewer::CResourceImage::Get(image)));
    }
  }
  return badge;
}

const QImage& CFolderTreeCtrl::KeyedBadge(std::uint32_t summary) {
  auto it = keyed_badges_.find(summary);
  if (it == keyed_badges_.end()) it = keyed_badges_.emplace(summary, WhiteKeyed(Badge(summary))).first;
  return it->second;
}

QRect CFolderTreeCtrl::ExpanderBox(const TreeItem* item, const QRect& row) const {
  // Centred in the indent in front of the item's icon.
  const int centre_x = kRowHeight * (tree_->DepthOf(item) + 1) - 22 + 11;
  return QRect(centre_x - kExpanderSize / 2, row.center().y() - kExpanderSize / 2, kExpanderSize, kExpanderSize);
}

TreeItem* CFolderTreeCtrl::ItemAt(const QPoint& at, bool* on_expander) const {
  const int index = RowAt(at);
  if (index < 0) return nullptr;
  TreeItem* item = rows_[static_cast<std::size_t>(index)];
  const QRect target = ExpanderBox(item, RowRect(index)).adjusted(-kExpanderSlack, -kExpanderSlack, kExpanderSlack, kExpanderSlack);
  *on_expander = !item->children.empty() && target.contains(at);
  return item;
}

void CFolderTreeCtrl::DrawRow(QPainter& p, int index, const QRect& row) {
  const TreeItem* item = rows_[static_cast<std::size_t>(index)];
  const int level = tree_->DepthOf(item);
  const int y = row.y();
  const bool selected = item == selected_;
  if (selected) {
    p.fillRect(row, QColor(0, 204, 255));
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.drawRect(row.adjusted(0, 0, -1, -1));
  }
  if (!item->children.empty()) {
    const QRect box = ExpanderBox(item, row);
    p.fillRect(box, Qt::white);
    p.setPen(QColor(136, 136, 136));
    p.drawRect(box.adjusted(0, 0, -1, -1));
    p.setPen(Qt::black);
    p.drawLine(box.left() + 2, box.center().y(), box.right() - 2, box.center().y());
    if (!item->expanded) p.drawLine(box.center().x(), box.top() + 2, box.center().x(), box.bottom() - 2);
  }
  // The item starts at row height x (level + 2) - 22, one indent in for the
  // expanders of the top level: its icon, then its text.
  const int icon_x = kRowHeight * (level + 2) - 22;
  const QImage& icon = viewer::CResourceImage::Get(IsGroupName(item->text) ? kGroupIcon : kFolderIcon);
  if (!icon.isNull()) p.drawImage(icon_x, y + (kRowHeight - icon.height()) / 2, icon);
  const int text_x = icon_x + 22;
  p.setPen(selected ? Qt::white : Qt::black);
  const int text_width = p.fontMetrics().horizontalAdvance(QString::fromStdString(item->text));
  p.drawText(QRect(text_x, y, viewport()->width() - text_x, kRowHeight), Qt::AlignVCenter | Qt::AlignLeft,
             QString::fromStdString(item->text));
  if (level > 0 && item->data != 0) {
    p.drawImage(text_x + text_width + 4, y, KeyedBadge(item->data));
  }
}

void CFolderTreeCtrl::keyPressEvent(QKeyEvent* event) {
  const bool left = event->key() == Qt::Key_Left;
  if (!left && event->key() != Qt::Key_Right) {
    CRowScrollArea::keyPressEvent(event);
    return;
  }
  event->accept();
  TreeItem* item = selected_;
  if (item == nullptr) return;
  const bool has_children = !item->children.empty();
  if (left) {
    if (has_children && item->expanded) {
      Collapse(item);
    } else if (item->parent != nullptr) {
      Select(item->parent);
    }
  } else if (has_children) {
    if (!item->expanded) {
      Expand(item);
    } else {
      Select(item->children.front().get());
    }
  }
  ScrollToRow(KeyRow());
}

void CFolderTreeCtrl::mousePressEvent(QMouseEvent* event) {
  bool on_expander = false;
  TreeItem* item = ItemAt(event->position().toPoint(), &on_expander);
  if (item == nullptr) return;
  if (on_expander) {
    Toggle(item);
    return;
  }
  if (item == selected_) return;  // also the second press of a double click
  const bool was_expanded = item->expanded;
  Select(item);
  expanded_by_press_ = !was_expanded && item->expanded ? item : nullptr;
  press_time_ = event->timestamp();
}

void CFolderTreeCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
  bool on_expander = false;
  TreeItem* item = ItemAt(event->position().toPoint(), &on_expander);
  // Each press on the expander toggled it already.
  if (item == nullptr || on_expander || item->children.empty()) return;
  // The double click toggles the state the item had before it: when its first
  // press selected and so expanded the item, it stays expanded.
  const bool just_expanded =
      item == expanded_by_press_ &&
      event->timestamp() - press_time_ < static_cast<quint64>(QGuiApplication::styleHints()->mouseDoubleClickInterval());
  expanded_by_press_ = nullptr;
  if (!just_expanded) Toggle(item);
}

}  // namespace library
