#include "library/ui/CFilerContainerDlg.h"

#include "library/RecordingNames.h"
#include "platform/NamedMutexLock.h"
#include "viewer/skin/CSkinButton.h"
#include "viewer/skin/UiFonts.h"
#include "viewer/skin/UiQText.h"

namespace library {
namespace {

constexpr int kCheckImage = 217;
// Gaps between successive toggles in the two layouts.
constexpr int kOneRowGaps[4] = {45, 45, 82, 45};
// A row of toggles: the 12-pixel box centred, the label beside it.
constexpr int kFilterRowHeight = 16;

}  // namespace

CFilerContainerDlg::CFilerContainerDlg(QWidget* parent, platform::MessageSink* owner, platform::MessageSink* list_parent)
    : QWidget(parent), scanner_(owner), cache_mutex_(platform::NamedMutex::Create("hMutexCache")) {
  setFont(viewer::UiFonts::Shared().font(viewer::UiFontSize::k10));
  tree_ = new CFolderTreeCtrl(this);
  tree_->setObjectName(QString::number(kTreeId));
  list_ = new CFileListCtrl(this, list_parent);
  list_->setObjectName(QString::number(kListId));
  path_ = new QLineEdit(this);
  path_->setObjectName(QString::number(kPathId));
  path_->setReadOnly(true);
  path_->hide();
  for (int i = 0; i < 5; ++i) {
    auto* toggle = new viewer::CSkinButton(this, QSize(12, 12), kCheckImage);
    toggle->setObjectName(QString::number(kFirstFilterId + i));
    toggle->setCheckable(true);
    toggle->setChecked(true);
    QObject::connect(toggle, &QAbstractButton::toggled, this, [this, i](bool on) {
      if (filters_[static_cast<std::size_t>(i)] != on) SetFilter(i, on);
    });
    toggles_[static_cast<std::size_t>(i)] = toggle;
    labels_[static_cast<std::size_t>(i)] = new QLabel(viewer::UiQText(TriggerRowOf(static_cast<TriggerCategory>(i)).text), this);
    labels_[static_cast<std::size_t>(i)]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  }
  tree_->SetTree(&scanner_.tree());
  tree_->on_selection_changed = [this](TreeItem* item) { SelectItem(item); };
  list_->on_row_selected = [this](int row) { RowSelected(row); };
  scanner_.on_entries_changed = [this] { RefreshList(); };
  Layout(0);
}

CFilerContainerDlg::~CFilerContainerDlg() = default;

void CFilerContainerDlg::OpenSource(const std::filesystem::path& path, SourceKind kind) {
  scanner_.OpenSource(path, kind);
  tree_->Rebuild();
  if (TreeItem* initial = scanner_.InitialItem()) tree_->Select(initial);
  path_->setText(QString::fromStdString(scanner_.shown_path().string()));
  if (kind == SourceKind::kFile && !list_->rows().empty()) SelectRow(0);
}

bool CFilerContainerDlg::ReloadSource() {
  const bool ok = scanner_.ReloadSource();
  tree_->Rebuild();
  tree_->Select(scanner_.selected_item());
  path_->setText(QString::fromStdString(scanner_.shown_path().string()));
  return ok;
}

std::size_t CFilerContainerDlg::SelectItem(TreeItem* item) {
  const std::size_t n = scanner_.SelectItem(item);
  path_->setText(QString::fromStdString(scanner_.shown_path().string()));
  return n;
}

std::vector<RecordingEntry> CFilerContainerDlg::shown() const {
  platform::NamedMutexLock lock(*cache_mutex_);
  return list_->rows();
}

void CFilerContainerDlg::RefreshList() {
  std::vector<RecordingEntry> shown;
  for (const RecordingEntry& e : scanner_.entries()) {
    const auto category = CategoryOf(e.name);
    if (category && !filters_[static_cast<std::size_t>(*category)]) continue;
    shown.push_back(e);  // an entry without a category is always shown
  }
  platform::NamedMutexLock lock(*cache_mutex_);  // other threads read the rows
  list_->SetRows(std::move(shown));
}

void CFilerContainerDlg::SelectRow(int index) {
  if (index >= 0 && index < static_cast<int>(list_->rows().size())) list_->set_current_row(index);
  list_->ScrollToRow(index);
}

void CFilerContainerDlg::RowSelected(int row) {
  platform::NamedMutexLock lock(*cache_mutex_);
  if (row == list_->current_row() && !reopen_) return;  // the current recording again opens nothing
  reopen_ = false;
  if (on_recording_selected) {
    on_recording_selected(row, list_->rows()[static_cast<std::size_t>(row)]);
  } else {
    SelectRow(row);
  }
}

void CFilerContainerDlg::SetFilter(int category, bool on) {
  filters_[static_cast<std::size_t>(category)] = on;
  toggles_[static_cast<std::size_t>(category)]->setChecked(on);
  RefreshList();
  if (!list_->rows().empty()) {
    // Row 0 becomes the recording to play.
    list_->set_current_row(-1);
    RowSelected(0);
  }
}

void CFilerContainerDlg::ShowControls(bool visible) {
  tree_->setVisible(visible);
  list_->setVisible(visible);
  for (auto* t : toggles_) t->setVisible(visible);
  for (auto* l : labels_) l->setVisible(visible);
  path_->hide();
}

void CFilerContainerDlg::ArrangeSideBySide(const QRect& c) {
  client_ = c;
  tree_->setGeometry(c.x() + 4, c.y() + 26, 217, c.height() - 30);
  list_->setGeometry(c.x() + 224, c.y() + 26, 224, c.height() - 30);
  ShowControls(!collapsed_);
  Layout(0);
  update();
}

void CFilerContainerDlg::ArrangeStacked(const QRect& c) {
  client_ = c;
  tree_->setGeometry(c.x() + 4, c.y() + 24, c.width() - 8, 284);
  list_->setGeometry(c.x() + 4, c.y() + 342, c.width() - 8, c.height() - 346);
  ShowControls(!collapsed_);
  Layout(1);
  update();
}

void CFilerContainerDlg::Layout(int mode) {
  // Side by side, one row in the band above the tree and the list. Stacked,
  // the band above the tree holds one row only, so both rows go in the band
  // between the tree and the list, where they cover neither.
  const int first_row = mode == 0 ? client_.y() + 4 : tree_->geometry().bottom() + 2;
  int x = client_.x() + 6, row_top = first_row;
  for (int i = 0; i < 5; ++i) {
    if (mode == 1 && i == 3) {  // a second row for the parking filters
      x = client_.x() + 6;
      row_top += kFilterRowHeight;
    }
    toggles_[static_cast<std::size_t>(i)]->move(x, row_top + 2);
    QLabel* label = labels_[static_cast<std::size_t>(i)];
    label->setGeometry(x + 14, row_top, label->sizeHint().width(), kFilterRowHeight);
    if (i < 4) x += mode == 0 ? kOneRowGaps[i] : (i % 3 == 0 ? 82 : 70);
  }
}

}  // namespace library
