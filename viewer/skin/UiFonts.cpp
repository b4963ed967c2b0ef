#include "viewer/skin/UiFonts.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

#include "viewer/skin/UiQText.h"

namespace viewer {
namespace {

// Japanese faces in order of preference; the first installed one is used.
constexpr const char* kJapaneseFaces[] = {"Noto Sans CJK JP", "Noto Sans JP", "IPAexGothic", "IPAGothic",
                                          "TakaoPGothic", "VL PGothic"};

void InstallSubstitution() {
  static const bool installed = [] {
    const QString face = UiFonts::FaceName();
    const QString target = UiFonts::SubstituteFace();
    if (!target.isEmpty()) QFont::insertSubstitution(face, target);
    return true;
  }();
  (void)installed;
}

}  // namespace

QString UiFonts::FaceName() { return UiQText(113); }

QString UiFonts::SubstituteFace() {
  const QStringList families = QFontDatabase::families();
  for (const char* face : kJapaneseFaces) {
    if (families.contains(QString::fromLatin1(face))) return QString::fromLatin1(face);
  }
  return {};
}

UiFonts::UiFonts(int dpi_x, int dpi_y) {
  InstallSubstitution();
  for (std::size_t i = 0; i < kUiFontPoints.size(); ++i) {
    QFont font(FaceName());
    const QString target = SubstituteFace();
    if (!target.isEmpty()) font.setFamilies({FaceName(), target});
    font.setPixelSize(UiFontPixelHeight(kUiFontPoints[i], dpi_x, dpi_y));
    font.setWeight(QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    fonts_[i] = font;
  }
}

const UiFonts& UiFonts::Shared() {
  static const UiFonts fonts = ForPrimaryScreen();
  return fonts;
}

UiFonts UiFonts::ForPrimaryScreen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int dpi_x = screen ? static_cast<int>(screen->logicalDotsPerInchX()) : 96;
  const int dpi_y = screen ? static_cast<int>(screen->logicalDotsPerInchY()) : 96;
  return UiFonts(dpi_x, dpi_y);
}

}  // namespace viewer
