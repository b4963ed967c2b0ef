#include "viewer/skin/CMovieMenu.h"

#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

#include "viewer/skin/COffScreenDC.h"
#include "viewer/skin/ColorRef.h"
#include "viewer/skin/UiFonts.h"

namespace viewer {
namespace {

// Gives every item the fixed size of the video menu.
class MenuSizes : public QProxyStyle {
 public:
  explicit MenuSizes(int width) : width_(width) {}
  QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                         const QWidget* widget) const override {
    if (type == CT_MenuItem) return QSize(width_, CMovieMenu::kItemHeight);
    return QProxyStyle::sizeFromContents(type, option, size, widget);
  }
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* data) const override {
    // Disabled items are highlighted too, in their own colours.
    if (hint == SH_Menu_AllowActiveAndDisabled) return 1;
    return QProxyStyle::styleHint(hint, option, widget, data);
  }
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    if (metric == PM_MenuPanelWidth || metric == PM_MenuHMargin || metric == PM_MenuVMargin) return 0;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }

 private:
  int width_;
};

}  // namespace

CMovieMenu::CMovieMenu(QWidget* parent, bool fullscreen) : QMenu(parent), width_(fullscreen ? 220 : 70) {
  auto* style = new MenuSizes(width_);
  style->setParent(this);
  setStyle(style);
  setFont(UiFonts::Shared().font(UiFontSize::k10));
}

void CMovieMenu::paintEvent(QPaintEvent*) {
  COffScreenDC surface;
  QPainter& p = surface.Begin(size());
  p.fillRect(rect(), palette().color(QPalette::Window));
  p.setFont(font());
  for (QAction* action : actions()) {
    const QRect item = actionGeometry(action);
    const bool highlighted = action == activeAction();
    const bool enabled = action->isEnabled();
    QColor text = palette().color(QPalette::WindowText);
    if (highlighted) {
      p.fillRect(item, enabled ? ColorFromRef(0xFF0000) : ColorFromRef(0xFFC3C3));
      text = enabled ? Qt::white : ColorFromRef(0x7F7F7F);
    } else if (!enabled) {
      text = ColorFromRef(0x7F7F7F);
    }
    p.setPen(text);
    p.drawText(item.adjusted(20, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, action->text());
  }
  surface.Finish(this);
}

}  // namespace viewer
