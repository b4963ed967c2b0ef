#include "maintenance/ui/CUpdateDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTextDocument>
#include <QTextBlock>

#include "maintenance/UpdateVersion.h"

namespace maintenance {
namespace {

const QString kFirmwarePage = "http://updates.example/taiou/dr_updata/rmx-204kt/rmx-204kt.html";
const QString kViewerPage = "http://updates.example/0_recorder/viewer/Brennovale/viewer.html";

QString Message(const std::string& latest_viewer) {
  UpdateFindings f;
  f.installed_firmware = "1.2.3";
  f.latest_firmware = "1.2.4";
  f.latest_viewer = latest_viewer;
  f.firmware_differs = f.viewer_differs = true;
  return QString::fromStdString(BuildUpdateMessage(f, kFirmwarePage.toStdString(), kViewerPage.toStdString()));
}

// The anchors of the shown text, as a reader of the HTML finds them.
QStringList Links(const QString& html) {
  QTextDocument doc;
  doc.setHtml(html);
  QStringList links;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const auto format = it.fragment().charFormat();
      if (format.isAnchor()) links << format.anchorHref();
    }
  }
  return links;
}

QString PlainText(const QString& html) {
  QTextDocument doc;
  doc.setHtml(html);
  return doc.toPlainText();
}

TEST(UpdateDialog, TitleGeometryAndLinks) {
  auto* dialog = new CUpdateDialog(Message("1.0.3"), kFirmwarePage, kViewerPage);
  dialog->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
  EXPECT_EQ(dialog->windowTitle(), QString("ソフトの更新情報"));
  EXPECT_FALSE(dialog->isModal());
  EXPECT_EQ(dialog->parentWidget(), nullptr);
  EXPECT_EQ(dialog->size(), QSize(640, 360));
  EXPECT_EQ(dialog->geometry().center(), QGuiApplication::primaryScreen()->geometry().center() + QPoint(0, 0))
      << "centred on its screen";
  EXPECT_EQ(dialog->link_control()->geometry(), QRect(10, 30, 620, 280));
  EXPECT_EQ(dialog->close_control()->geometry(), QRect(530, 320, 100, 30));
  EXPECT_EQ(dialog->close_control()->text(), QString("閉じる"));
  EXPECT_EQ(Links(dialog->link_control()->text()), (QStringList{kFirmwarePage, kViewerPage}));
  // The version texts read as the message has them, line by line.
  const QStringList lines =
      PlainText(dialog->link_control()->text()).split(QRegularExpression(QStringLiteral("[\\n\\x{2028}\\x{2029}]")));
  EXPECT_TRUE(lines.contains("現在のバージョン：1.2.3   →   更新バージョン：1.2.4")) << lines.join('|').toStdString();
  EXPECT_TRUE(lines.contains("URL : " + kViewerPage));

  // The link area is white where no text is drawn (its lower part).
  const QImage shot = dialog->grab().toImage();
  EXPECT_EQ(shot.pixelColor(600, 300), QColor(Qt::white));

  QPointer<CUpdateDialog> alive(dialog);
  QTest::mouseClick(dialog->close_control(), Qt::LeftButton);
  QTRY_VERIFY(alive.isNull());
}

TEST(UpdateDialog, MarkupInVersionsIsText) {
  const QString html = CUpdateDialog::LinkText(Message("<a href=\"file:///etc/passwd\">x</a><b>&amp;"),
                                               {kFirmwarePage, kViewerPage});
  EXPECT_EQ(Links(html), (QStringList{kFirmwarePage, kViewerPage}));
  EXPECT_TRUE(PlainText(html).contains("更新バージョン：<a href=\"file:///etc/passwd\">x</a><b>&amp;"));
}

TEST(UpdateDialog, OnlyOurAddressesOpen) {
  CUpdateDialog dialog(Message("1.0.3"), kFirmwarePage, kViewerPage);
  QList<QUrl> opened;
  dialog.set_opener([&](const QUrl& url) { opened << url; });
  emit dialog.link_control()->linkActivated(kViewerPage);
  emit dialog.link_control()->linkActivated("file:///etc/passwd");
  emit dialog.link_control()->linkActivated(kFirmwarePage + "#x");
  emit dialog.link_control()->linkActivated(kFirmwarePage);
  EXPECT_EQ(opened, (QList<QUrl>{QUrl(kViewerPage), QUrl(kFirmwarePage)}));
}

}  // namespace
}  // namespace maintenance
