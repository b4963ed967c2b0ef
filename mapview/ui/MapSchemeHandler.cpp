#include "mapview/ui/MapSchemeHandler.h"

#include <QBuffer>
#include <QFile>
#include <QRegularExpression>
#include <QUrlQuery>
#include <QWebEngineUrlRequestJob>

#include "mapview/JsonText.h"
#include "mapview/MapPageAddress.h"
#include "mapview/ui/MapPageFiles.h"

namespace mapview {

namespace {

constexpr char kCallPrefix[] = "/call/";

void Reply(QWebEngineUrlRequestJob* job, const QByteArray& type, const QByteArray& body) {
  auto* buffer = new QBuffer(job);
  buffer->setData(body);
  job->reply(type, buffer);
}

QByteArray Bytes(std::string_view text) { return QByteArray(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

MapSchemeHandler::MapSchemeHandler(HostWebViewObject* host, MapTileSetting tiles, QObject* parent)
    : QWebEngineUrlSchemeHandler(parent), host_(host), tiles_(std::move(tiles)) {}

QByteArray MapSchemeHandler::LeafletFile(const QString& relative) {
  auto found = leaflet_files_.constFind(relative);
  if (found != leaflet_files_.constEnd()) return *found;
  QFile file(QStringLiteral(BRENNOVALE_LEAFLET_DIR "/") + relative);
  QByteArray data;
  if (file.open(QIODevice::ReadOnly)) data = file.readAll();
  if (!data.isEmpty()) leaflet_files_.insert(relative, data);
  return data;
}

QByteArray MapSchemeHandler::LayerScript() {
  const QByteArray leaflet = LeafletFile(QStringLiteral("leaflet.js"));
  if (leaflet.isEmpty()) return {};
  // The settings travel as JSON text; JsonString keeps "</script>" and
  // quotes in an address or attribution inert.
  std::string settings = "\nwindow.BRENNOVALE_TILES = {\"url\":";
  AppendJsonString(settings, tiles_.url);
  settings += ",\"attribution\":";
  AppendJsonString(settings, tiles_.attribution);
  settings += ",\"maxZoom\":";
  AppendJsonNumber(settings, static_cast<std::int64_t>(tiles_.max_zoom));
  settings += "};\n";
  return leaflet + Bytes(settings) + Bytes(MapPageFile("gmaps.js"));
}

void MapSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job) {
  const QUrl url = job->requestUrl();
  const QUrl initiator = job->initiator();
  const bool from_page = initiator.toString() == QLatin1String(kMapOrigin);
  if (job->requestMethod() != "GET" || url.host() != QLatin1String(kMapHost) || (!from_page && !initiator.isEmpty())) {
    job->fail(QWebEngineUrlRequestJob::RequestDenied);
    return;
  }
  const QString path = url.path();
  if (path.startsWith(QLatin1String(kCallPrefix))) {
    if (!from_page) {
      job->fail(QWebEngineUrlRequestJob::RequestDenied);
      return;
    }
    const std::string method = path.mid(static_cast<qsizetype>(sizeof kCallPrefix - 1)).toStdString();
    const QUrlQuery query(url);
    const std::string args = query.queryItemValue(QStringLiteral("args"), QUrl::FullyDecoded).toStdString();
    const auto answer = host_ ? host_->Call(method, args, HostWebViewObject::TrackForm::kPacked) : std::nullopt;
    if (!answer) {
      job->fail(QWebEngineUrlRequestJob::RequestFailed);
      return;
    }
    Reply(job, "application/json", Bytes(*answer));
    if (on_call_) on_call_(method);
    return;
  }
  QByteArray body;
  QByteArray type;
  if (path == QLatin1String("/index.html")) {
    body = Bytes(MapPageFile("index.html"));
    type = "text/html";
  } else if (path == QLatin1String("/gmaps.js")) {
    body = LayerScript();
    type = "text/javascript";
  } else if (path == QLatin1String("/leaflet/leaflet.css")) {
    body = LeafletFile(QStringLiteral("leaflet.css"));
    type = "text/css";
  } else {
    static const QRegularExpression kImage(QStringLiteral("^/leaflet/images/([a-z0-9-]+\\.png)$"));
    const auto match = kImage.match(path);
    if (match.hasMatch()) {
      body = LeafletFile(QStringLiteral("images/") + match.captured(1));
      type = "image/png";
    }
  }
  if (body.isEmpty()) {
    job->fail(QWebEngineUrlRequestJob::UrlNotFound);
    return;
  }
  Reply(job, type, body);
}

}  // namespace mapview
