#include "mapview/ui/CGoogleMapDlg2.h"

#include <QDir>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "mapview/JsonText.h"
#include "mapview/MapPageAddress.h"
#include "mapview/ui/MapPageFiles.h"
#include "mapview/ui/MapRequestInterceptor.h"
#include "mapview/ui/MapSchemeHandler.h"
#include "mapview/ui/MapWebPage.h"

namespace mapview {

namespace {

constexpr char kProfileName[] = "brennovale-map";

QString CacheRoot() {
  const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
  return QDir(cache).filePath(QStringLiteral("brennovale/map"));
}

}  // namespace

CGoogleMapDlg2::CGoogleMapDlg2(QWidget* parent, MapSink* sink) : CGoogleMapDlg2(parent, sink, ReadMapTileSetting()) {}

CGoogleMapDlg2::CGoogleMapDlg2(QWidget* parent, MapSink* sink, MapTileSetting tiles) : QWidget(parent) {
  host_.set_sink(sink);
  // A named profile keeps the tiles in a disk cache (the default profile is
  // off the record, memory only); cookies never outlive the program.
  profile_ = new QWebEngineProfile(QString::fromLatin1(kProfileName), this);
  profile_->setCachePath(QDir(CacheRoot()).filePath(QStringLiteral("cache")));
  profile_->setPersistentStoragePath(QDir(CacheRoot()).filePath(QStringLiteral("storage")));
  profile_->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
  profile_->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
  // Appended, not replaced: Leaflet's browser checks read the engine's part.
  profile_->setHttpUserAgent(profile_->httpUserAgent() + QStringLiteral(" Brennovale/" BRENNOVALE_VERSION));

  handler_ = new MapSchemeHandler(&host_, std::move(tiles), this);
  handler_->set_on_call([this](std::string_view method) { OnHostCall(method); });
  profile_->installUrlSchemeHandler(kMapScheme, handler_);
  interceptor_ = new MapRequestInterceptor(this);
  profile_->setUrlRequestInterceptor(interceptor_);

  QWebEngineScript shim;
  shim.setName(QStringLiteral("brennovale-shim"));
  shim.setInjectionPoint(QWebEngineScript::DocumentCreation);
  shim.setWorldId(QWebEngineScript::MainWorld);
  shim.setRunsOnSubFrames(false);
  const std::string_view shim_text = MapPageFile("shim.js");
  shim.setSourceCode(QString::fromUtf8(shim_text.data(), static_cast<qsizetype>(shim_text.size())));
  profile_->scripts()->insert(shim);

  page_ = new MapWebPage(profile_, this);
  page_->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  page_->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
  page_->settings()->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
  view_ = new QWebEngineView(this);
  view_->setPage(page_);
  view_->setContextMenuPolicy(Qt::NoContextMenu);
  view_->setAcceptDrops(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);

  start_timer_.setSingleShot(true);
  start_timer_.setInterval(kStartTimeoutMs);
  connect(&start_timer_, &QTimer::timeout, this, [this] {
    if (!map_built_) EngineFailed();
  });
  connect(page_, &QWebEnginePage::renderProcessTerminated, this,
          [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
            if (status != QWebEnginePage::NormalTerminationStatus) EngineFailed();
          });
  connect(page_, &QWebEnginePage::loadFinished, this, [this](bool) {
    // The engine may reset the zoom with each document.
    view_->setZoomFactor(kZoomFactor);
  });
  view_->setZoomFactor(kZoomFactor);
  page_->load(QUrl(QString::fromLatin1(kMapPageUrl)));
  start_timer_.start();
}

CGoogleMapDlg2::~CGoogleMapDlg2() {
  start_timer_.stop();
  handler_->set_on_call(nullptr);
  host_.set_sink(nullptr);
  disconnect(page_, nullptr, this, nullptr);
  // The handlers go first, then the view and its page, the profile last: the
  // engine refuses to release a profile that still has a page.
  profile_->removeAllUrlSchemeHandlers();
  profile_->setUrlRequestInterceptor(nullptr);
  delete view_;
  delete page_;
  delete handler_;
  delete interceptor_;
  delete profile_;
}

void CGoogleMapDlg2::OnHostCall(std::string_view method) {
  if (method != "JS2C_OnInitHtml") return;
  map_built_ = true;
  start_timer_.stop();
  SendOnlineMark();
}

void CGoogleMapDlg2::EngineFailed() {
  if (failed_) return;
  failed_ = true;
  start_timer_.stop();
  if (on_engine_failed_) on_engine_failed_();
}

void CGoogleMapDlg2::ExecScript(const std::string& statement) {
  if (failed_) return;
  page_->runJavaScript(QString::fromStdString(statement));
}

void CGoogleMapDlg2::UpdateData(double lat, double lng, const std::string& status_text) {
  lat_ = lat;
  lng_ = lng;
  status_text_ = status_text;
}

bool CGoogleMapDlg2::PostWebMessage(const std::string& json) {
  if (failed_) return false;
  // The message reaches the page as a string literal and is parsed there as
  // JSON: whatever it holds never runs as script. Before the page has its
  // listener the delivery function is missing and the message is dropped,
  // as any message to a page that listens to none.
  page_->runJavaScript(QStringLiteral("window.__brennovaleDeliver && window.__brennovaleDeliver(") +
                       QString::fromStdString(JsonString(json)) + QLatin1Char(')'));
  return true;
}

void CGoogleMapDlg2::SetOnlineMark(bool reachable) {
  online_mark_ = reachable ? 1 : 0;
  SendOnlineMark();
}

void CGoogleMapDlg2::SendOnlineMark() {
  if (online_mark_ < 0 || failed_) return;
  page_->runJavaScript(QStringLiteral("window.BrennovaleOnlineMark && window.BrennovaleOnlineMark(%1)")
                           .arg(online_mark_ ? QStringLiteral("true") : QStringLiteral("false")));
}

void CGoogleMapDlg2::ShowMapWindow(bool show) { setVisible(show); }

bool CGoogleMapDlg2::IsMapWindowVisible() const { return isVisible(); }

}  // namespace mapview
