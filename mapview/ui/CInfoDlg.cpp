#include "mapview/ui/CInfoDlg.h"

#include <QMouseEvent>
#include <QPainter>
#include <optional>
#include <string>

#include "mapview/PanelText.h"
#include "mapview/ui/InfoPanelArt.h"
#include "viewer/skin/CResourceImage.h"
#include "viewer/skin/CSkinButton.h"
#include "viewer/skin/UiFonts.h"
#include "viewer/skin/UiQText.h"

namespace mapview {
namespace {

constexpr std::array<int, 3> kAxisTitleTexts = {65, 66, 67};

QRect ToQRect(const PanelRect& r) { return QRect(r.left, r.top, r.width, r.height); }

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The normal layout writes everything at 13 points; the large one its
// values at 17; the compact strip at 9.
const QFont& TextFont(int layout, bool value) {
  using viewer::UiFontSize;
  const viewer::UiFonts& fonts = viewer::UiFonts::Shared();
  if (layout == 2) return fonts.font(UiFontSize::k9);
  if (layout == 1 && value) return fonts.font(UiFontSize::k17);
  return fonts.font(UiFontSize::k13);
}

// A picture at its size times scale, its top-left corner at the cell's when
// centred is false.
void DrawIcon(QPainter& p, int image, const QRect& cell, double scale, bool centred) {
  const QImage picture = viewer::CResourceImage::Keyed(image);
  if (picture.isNull()) return;
  const QSize size(static_cast<int>(picture.width() * scale + 0.5), static_cast<int>(picture.height() * scale + 0.5));
  QRect target(cell.topLeft(), size);
  if (centred) target.moveCenter(cell.center());
  p.drawImage(target, picture);
}

// A text in its box, or the box's placeholder picture with its text over it.
void DrawBox(QPainter& p, const QRect& box, const std::optional<std::string>& text, int placeholder_image,
             std::string_view placeholder_text, int alignment) {
  if (!text) {
    const QImage& picture = viewer::CResourceImage::Get(placeholder_image);
    if (!picture.isNull()) p.drawImage(box, picture);
  }
  p.drawText(box, alignment | Qt::TextSingleLine | Qt::TextDontClip, FromUtf8(text ? *text : placeholder_text));
}

}  // namespace

CInfoDlg::CInfoDlg(QWidget* parent, platform::MessageSink* owner) : QWidget(parent), owner_(owner) {
  setObjectName("info panel");
  setFont(TextFont(0, false));
  for (int n = 0; n < 3; ++n) {
    auto* button = new viewer::CSkinButton(this, QSize(12, 12), kAxisButtonImage);
    button->setObjectName(QString::number(kAxisButtonFirstId + n));
    button->setCheckable(true);
    button->setChecked(true);
    connect(button, &QAbstractButton::clicked, this, [this, n](bool on) {
      if (owner_) owner_->Post(kMessageInfoAxisToggle, static_cast<std::uintptr_t>(n), on ? 1 : 0);
    });
    axis_buttons_[static_cast<std::size_t>(n)] = button;
  }
  PlaceBoxes();
}

void CInfoDlg::SetLayout(int layout) {
  layout_ = layout;
  PlaceBoxes();
  update();
}

void CInfoDlg::PlaceBoxes() {
  boxes_ = InfoPanelLayoutFor(layout_, width());
  for (int n = 0; n < 3; ++n) {
    viewer::CSkinButton* button = axis_buttons_[static_cast<std::size_t>(n)];
    button->setGeometry(ToQRect(boxes_.axis_buttons[static_cast<std::size_t>(n)]));
    button->setVisible(boxes_.axis_buttons_visible);
  }
}

void CInfoDlg::resizeEvent(QResizeEvent*) { PlaceBoxes(); }

void CInfoDlg::SetRecording(const InfoRecording& recording) {
  recording_ = recording;
  update();
}

void CInfoDlg::SetModeText(const QString& text) {
  if (text == mode_text_) return;
  mode_text_ = text;
  update();
}

void CInfoDlg::ShowValues(const InfoValues& values) {
  values_ = values;
  update();
}

void CInfoDlg::Reset() {
  InfoValues reset;
  reset.speed = -1.0;
  reset.x = reset.y = reset.z = -5.0;
  reset.frame = -1;
  reset.status = 'M';
  reset.speed_valid = false;
  reset.event_kind = 0;
  values_ = reset;
  repaint();
}

void CInfoDlg::mouseDoubleClickEvent(QMouseEvent* event) {
  if (on_double_click) on_double_click();
  event->accept();
}

void CInfoDlg::paintEvent(QPaintEvent*) {
  QPainter& p = surface_.Begin(size());
  p.fillRect(rect(), QColor::fromRgba(kBackground));
  const InfoPanelLayout& b = boxes_;

  if (values_.event_kind >= 1 && values_.event_kind <= 6) {
    DrawIcon(p, kEventIconFirst + values_.event_kind - 1, ToQRect(b.event_icon), b.icon_scale, false);
  }
  const int status_icon = values_.status == 'R'   ? kStatusIconRecording
                          : values_.status == 'r' ? kStatusIconLower
                                                  : kStatusIconOther;
  DrawIcon(p, status_icon, ToQRect(b.status_cell), b.icon_scale, true);
  if (values_.speed_valid) DrawIcon(p, kGpsFixIcon, ToQRect(b.gps_cell), b.icon_scale, true);

  p.setPen(QColor::fromRgba(kText));
  p.setFont(TextFont(layout_, false));
  p.drawText(ToQRect(b.mode_text), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, mode_text_);

  p.setFont(TextFont(layout_, true));
  DrawBox(p, ToQRect(b.date_time), PanelDateTimeText(recording_, values_.frame), kDateTimePlaceholderImage,
          kDateTimePlaceholder, Qt::AlignRight | Qt::AlignVCenter);
  DrawBox(p, ToQRect(b.speed_value), PanelSpeedText(values_.speed_valid, values_.speed), kSpeedPlaceholderImage, "",
          Qt::AlignRight | Qt::AlignVCenter);
  // The unit box overlaps the value's: the unit stays readable over the
  // value's placeholder.
  p.setFont(TextFont(layout_, false));
  p.drawText(ToQRect(b.speed_unit), Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, FromUtf8(kSpeedUnit));

  const std::array<double, 3> g = {values_.x, values_.y, values_.z};
  const int title_alignment = Qt::AlignLeft | (layout_ == 2 ? Qt::AlignVCenter : Qt::AlignTop);
  for (std::size_t n = 0; n < 3; ++n) {
    p.setFont(TextFont(layout_, false));
    p.setPen(QColor::fromRgba(kAxisColours[n]));
    p.drawText(ToQRect(b.axis_titles[n]), title_alignment | Qt::TextSingleLine, viewer::UiQText(kAxisTitleTexts[n]));
    p.setFont(TextFont(layout_, true));
    p.setPen(QColor::fromRgba(kText));
    DrawBox(p, ToQRect(b.axis_values[n]), PanelAccelerationText(g[n]), kAxisPlaceholderFirst + static_cast<int>(n),
            kAccelerationPlaceholder, Qt::AlignRight | Qt::AlignVCenter);
  }
  surface_.Finish(this);
}

}  // namespace mapview
