// The smallest round trip the map needs on this Qt: a page served from a
// custom host-syntax scheme reaches the host with a synchronous GET from a
// script injected at document creation, and the host reaches the page with
// runJavaScript. Everything else of the map window stands on this.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QEventLoop>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlSchemeHandler>

namespace {

class EchoHandler : public QWebEngineUrlSchemeHandler {
 public:
  void requestStarted(QWebEngineUrlRequestJob* job) override {
    const QString path = job->requestUrl().path();
    QByteArray body;
    QByteArray type = "text/html";
    if (path == "/index.html") {
      body = "<!DOCTYPE html><html><body><script>"
             "var answer = chrome.sample('/call/echo?args=%5B41%5D');"
             "</script></body></html>";
    } else if (path == "/call/echo") {
      initiator = job->initiator().toString();
      const int n = job->requestUrl().query().section("%5B", 1).section("%5D", 0, 0).toInt();
      body = "{\"n\":" + QByteArray::number(n + 1) + "}";
      type = "application/json";
    } else {
      job->fail(QWebEngineUrlRequestJob::UrlNotFound);
      return;
    }
    auto* buffer = new QBuffer(job);
    buffer->setData(body);
    job->reply(type, buffer);
  }
  QString initiator;
};

QVariant RunScript(QWebEnginePage& page, const QString& script) {
  QVariant result;
  QEventLoop loop;
  page.runJavaScript(script, [&](const QVariant& value) {
    result = value;
    loop.quit();
  });
  QTimer::singleShot(10000, &loop, &QEventLoop::quit);
  loop.exec();
  return result;
}

TEST(SchemeRoundTripSpike, PageCallsHostSynchronouslyAndHostRunsScriptInPage) {
  QWebEngineProfile profile;
  EchoHandler handler;
  profile.installUrlSchemeHandler("brennovale", &handler);
  QWebEngineScript shim;
  shim.setName("shim");
  shim.setInjectionPoint(QWebEngineScript::DocumentCreation);
  shim.setWorldId(QWebEngineScript::MainWorld);
  shim.setSourceCode(
      "window.chrome = window.chrome || {};"
      "chrome.sample = function (address) {"
      "  var request = new XMLHttpRequest();"
      "  request.open('GET', address, false);"
      "  request.send();"
      "  return JSON.parse(request.responseText).n;"
      "};");
  profile.scripts()->insert(shim);
  {
    QWebEnginePage page(&profile);
    QEventLoop loop;
    bool loaded = false;
    QObject::connect(&page, &QWebEnginePage::loadFinished, [&](bool ok) {
      loaded = ok;
      loop.quit();
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    page.load(QUrl("brennovale://map/index.html"));
    loop.exec();
    ASSERT_TRUE(loaded);
    EXPECT_EQ(RunScript(page, "answer").toInt(), 42);
    EXPECT_EQ(handler.initiator, "brennovale://map");
  }
  profile.removeAllUrlSchemeHandlers();
}

}  // namespace
