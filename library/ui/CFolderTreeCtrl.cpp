#include "library/ui/CFolderTreeCtrl.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "library/RecordingNames.h"
#include "viewer/skin/COffScreenDC.h"
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

}  // namespace

CFolderTreeCtrl::CFolderTreeCtrl(QWidget* parent) : QAbstractScrollArea(parent) {
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFrameShape(QFrame::NoFrame);
}

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
  UpdateScroll();
  viewport()->update();
}

void CFolderTreeCtrl::UpdateScroll() {
  verticalScrollBar()->setPageStep(viewport()->height());
  verticalScrollBar()->setRange(0, std::max(0, static_cast<int>(rows_.size()) * kRowHeight - viewport()->height()));
}

void CFolderTreeCtrl::resizeEvent(QResizeEvent* event) {
  UpdateScroll();
  QAbstractScrollArea::resizeEvent(event);
}

void CFolderTreeCtrl::Select(TreeItem* item) {
  if (item == selected_) return;
  selected_ = item;
  if (item != nullptr && !item->children.empty()) tree_->ExpandWithAncestors(item);
  Rebuild();
  if (on_selection_changed) on_selection_changed(item);
  Rebuild();  // the handler rebuilt the item's children
}

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

void CFolderTreeCtrl::paintEvent(QPaintEvent*) {
  viewer::COffScreenDC surface;
  QPainter& p = surface.Begin(viewport()->size());
  p.fillRect(QRect(QPoint(0, 0), viewport()->size()), Qt::white);
  const int first = verticalScrollBar()->value() / kRowHeight;
  for (int i = first; i < static_cast<int>(rows_.size()); ++i) {
    const int y = i * kRowHeight - verticalScrollBar()->value();
    if (y > viewport()->height()) break;
    const TreeItem* item = rows_[static_cast<std::size_t>(i)];
    const int level = tree_->DepthOf(item);
    const QRect row(0, y, viewport()->width(), kRowHeight);
    const bool selected = item == selected_;
    if (selected) {
      p.fillRect(row, QColor(0, 204, 255));
      p.setPen(QPen(Qt::black, 1, Qt::DotLine));
      p.drawRect(row.adjusted(0, 0, -1, -1));
    }
    // The item starts at row height x (level + 1) - 22: its icon, then its text.
    const int icon_x = kRowHeight * (level + 1) - 22;
    const QImage& icon = viewer::CResourceImage::Get(IsGroupName(item->text) ? kGroupIcon : kFolderIcon);
    if (!icon.isNull()) p.drawImage(icon_x, y + (kRowHeight - icon.height()) / 2, icon);
    const int text_x = icon_x + 22;
    p.setPen(selected ? Qt::white : Qt::black);
    p.setFont(font());
    const int text_width = p.fontMetrics().horizontalAdvance(QString::fromStdString(item->text));
    p.drawText(QRect(text_x, y, viewport()->width() - text_x, kRowHeight), Qt::AlignVCenter | Qt::AlignLeft,
               QString::fromStdString(item->text));
    if (level > 0 && item->data != 0) {
      p.drawImage(text_x + text_width + 4, y, KeyedBadge(item->data));
    }
  }
  surface.Finish(viewport());
}

void CFolderTreeCtrl::mousePressEvent(QMouseEvent* event) {
  const int index = (static_cast<int>(event->position().y()) + verticalScrollBar()->value()) / kRowHeight;
  if (index >= 0 && index < static_cast<int>(rows_.size())) Select(rows_[static_cast<std::size_t>(index)]);
}

}  // namespace library
