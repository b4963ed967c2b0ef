#include "library/ui/CFileSelectDlg.h"

#include <QGuiApplication>
#include <QScreen>
#include <filesystem>

#include "viewer/skin/CMsgBox.h"
#include "viewer/skin/CSkinCheckButton.h"
#include "viewer/skin/CSkinListCtrl.h"
#include "viewer/skin/UiQText.h"

namespace library {
namespace {

constexpr std::uint64_t kMiB = 1048576;

// Per mode: caption, OK text, OK enabled at start.
struct ModeRow {
  int caption, ok_text;
  bool ok_at_start;
};
constexpr ModeRow kModes[] = {{47, 47, false}, {43, 53, true}, {44, 45, false}};

bool IsMov(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return ext.find(".MOV") != std::string::npos;
}

}  // namespace

CFileSelectDlg::CFileSelectDlg(QWidget* parent, Mode mode) : CSkinDialog(parent), mode_(mode) {
  const ModeRow& m = kModes[mode];
  setWindowTitle(viewer::UiQText(m.caption));
  setFixedSize(520, 500);
  const int w = width(), h = height();
  list_ = new viewer::CSkinListCtrl(this, {{viewer::UiQText(50), 270, Qt::AlignLeft},
                                           {viewer::UiQText(151), 95, Qt::AlignRight},
                                           {viewer::UiQText(152), 95, Qt::AlignRight}});
  list_->setObjectName("1003");
  list_->setGeometry(10, 30, w - 20, h - 140);
  list_->on_check_changed = [this](int row, bool checked) {
    if (mode_ == kJoin) ApplyJoinBlock(row, checked);
    Recompute();
  };
  show_all_ = new viewer::CSkinCheckButton(this, viewer::UiQText(56));
  show_all_->setObjectName("1004");
  show_all_->setGeometry(20, h - 70, 200, 20);
  show_all_->setVisible(mode != kJoin);
  select_all_ = new viewer::CSkinCheckButton(this, viewer::UiQText(55));
  select_all_->setObjectName("1005");
  select_all_->setGeometry(20, h - 40, 200, 20);
  connect(show_all_, &QAbstractButton::toggled, this, [this] { Fill(); });
  connect(select_all_, &QAbstractButton::toggled, this, [this] { Fill(); });
  total_ = new QLabel("0 MB", this);
  total_->setObjectName("1006");
  total_->setGeometry(w - 160, h - 70, 140, 20);
  ok_ = new QPushButton(viewer::UiQText(m.ok_text), this);
  ok_->setObjectName("1");
  ok_->setGeometry(w - 130, h - 40, 120, 30);
  ok_->setEnabled(m.ok_at_start);
  connect(ok_, &QPushButton::clicked, this, [this] { accept(); });
  if (QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
    move(screen->geometry().center() - rect().center());
  }
}

void CFileSelectDlg::SetDefaultList(const std::vector<RecordingEntry>& entries) {
  default_list_.assign(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(std::min(entries.size(), kMaxRows)));
  if (entries.size() > kMaxRows) viewer::CMsgBox::Show(this, viewer::UiQText(105), "ERROR");
  Fill();
}

bool CFileSelectDlg::SetAllList(const std::vector<RecordingEntry>& entries) {
  all_list_.assign(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(std::min(entries.size(), kMaxRows)));
  if (show_all_->isChecked()) Fill();
  return entries.size() <= kMaxRows;
}

void CFileSelectDlg::SetShowAll(bool on) { show_all_->setChecked(on); }
void CFileSelectDlg::SetSelectAll(bool on) { select_all_->setChecked(on); }
void CFileSelectDlg::ToggleRow(int row) { list_->ClickRow(row); }

void CFileSelectDlg::Fill() {
  const auto& source = show_all_->isChecked() ? all_list_ : default_list_;
  listed_.clear();
  std::vector<QStringList> rows;
  for (const RecordingEntry& e : source) {
    if (mode_ == kJoin && !IsMov(e.path)) continue;
    listed_.push_back(e);
    rows.push_back({QString::fromStdString(e.name), QString("%1 MB").arg(e.main_size / kMiB),
                    QString("%1 MB").arg(e.sub_size / kMiB)});
  }
  list_->SetRows(std::move(rows));
  if (select_all_->isChecked()) {
    for (int i = 0; i < list_->row_count(); ++i) list_->SetChecked(i, true);
  }
  Recompute();
}

int CFileSelectDlg::TickedCount() const {
  int n = 0;
  for (int i = 0; i < list_->row_count(); ++i) n += list_->checked(i) ? 1 : 0;
  return n;
}

void CFileSelectDlg::ApplyJoinBlock(int k, bool checked) {
  if (checked) {
    if (first_ >= 0 && k < first_) {
      for (int i = k; i < first_; ++i) list_->SetChecked(i, true);
    } else if (first_ >= 0 && k >= end_) {
      for (int i = end_; i <= k; ++i) list_->SetChecked(i, true);
    }
    // With nothing ticked before, the first tick starts the block.
  } else if (first_ >= 0 && k > first_ && k < end_) {
    for (int i = k; i < end_; ++i) list_->SetChecked(i, false);
  }
}

void CFileSelectDlg::Recompute() {
  // The ticked block (join mode keeps it contiguous).
  first_ = end_ = -1;
  for (int i = 0; i < list_->row_count(); ++i) {
    if (list_->checked(i)) {
      first_ = i;
      break;
    }
  }
  if (first_ >= 0) {
    end_ = first_;
    while (end_ < list_->row_count() && list_->checked(end_)) ++end_;
  }
  std::uint64_t main = 0, sub = 0, data = 0;
  for (int i = 0; i < list_->row_count(); ++i) {
    if (!list_->checked(i)) continue;
    const RecordingEntry& e = listed_[static_cast<std::size_t>(i)];
    main += e.main_size;
    sub += e.sub_size;
    data += e.data_size;
  }
  total_->setText(QString("%1 MB").arg((main + sub + data) / kMiB));
  const int ticked = TickedCount();
  if (mode_ == kJoin) {
    const std::uint64_t mb = main / kMiB + sub / kMiB + data / kMiB;
    over_size_ = mb > kJoinLimitMb;
    too_many_ = ticked >= kJoinMaxFiles;
    QPalette palette = total_->palette();
    palette.setColor(QPalette::WindowText, over_size_ ? Qt::red : Qt::black);
    total_->setPalette(palette);
    ok_->setEnabled(ticked >= 2);
  } else if (mode_ == kDelete) {
    ok_->setEnabled(ticked >= 1);
  }
}

void CFileSelectDlg::accept() {
  if (over_size_) {
    viewer::CMsgBox::Show(this, viewer::UiQText(139), "ERROR");
    return;
  }
  if (too_many_) {
    viewer::CMsgBox::Show(this, viewer::UiQText(142), "ERROR");
    return;
  }
  result_.clear();
  for (int i = 0; i < list_->row_count(); ++i) {
    if (list_->checked(i)) result_.push_back(listed_[static_cast<std::size_t>(i)]);
  }
  CSkinDialog::accept();
}

}  // namespace library
