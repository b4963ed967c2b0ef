#include "maintenance/CurlTransfer.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace maintenance {
namespace {

constexpr long kMaxRedirects = 3;
constexpr int kPollMs = 1000;

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyDeleter {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;

struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// Settings every transfer shares.
Easy NewEasy(const std::string& address, std::chrono::milliseconds connect) {
  Easy easy(curl_easy_init());
  if (!easy) return easy;
  CURL* e = easy.get();
  curl_easy_setopt(e, CURLOPT_URL, address.c_str());
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connect.count()));
  // A cancelled transfer must not wait for a name lookup still running.
  curl_easy_setopt(e, CURLOPT_QUICK_EXIT, 1L);
  return easy;
}

struct Sink {
  std::string bytes;
  std::size_t limit = 0;
  bool full = false;
};

std::size_t WriteBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto* sink = static_cast<Sink*>(user);
  const std::size_t n = size * count;
  const std::size_t room = sink->limit - sink->bytes.size();
  if (n >= room) {
    sink->bytes.append(data, room);
    sink->full = true;
    // Taking less than was offered ends the transfer (a write error that
    // Fetch counts as success).
    return n == room ? n : room;
  }
  sink->bytes.append(data, n);
  return n;
}

}  // namespace

CurlTransfer::CurlTransfer(NetTimeouts timeouts) : timeouts_(timeouts) {
  GlobalInit();
  multi_ = curl_multi_init();
}

CurlTransfer::~CurlTransfer() {
  if (multi_ != nullptr) curl_multi_cleanup(multi_);
}

void CurlTransfer::Cancel() {
  {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
  }
  wake_.notify_all();
  if (multi_ != nullptr) curl_multi_wakeup(multi_);
}

bool CurlTransfer::Wait(std::chrono::milliseconds d) {
  std::unique_lock lock(mutex_);
  return !wake_.wait_for(lock, d, [this] { return cancelled_.load(); });
}

int CurlTransfer::Perform(void* handle) {
  CURL* easy = static_cast<CURL*>(handle);
  if (multi_ == nullptr || curl_multi_add_handle(multi_, easy) != CURLM_OK) return CURLE_FAILED_INIT;
  CURLcode result = CURLE_OK;
  for (bool done = false; !done;) {
    if (cancelled_) {
      result = CURLE_ABORTED_BY_CALLBACK;
      break;
    }
    int running = 0;
    if (curl_multi_perform(multi_, &running) != CURLM_OK) {
      result = CURLE_FAILED_INIT;
      break;
    }
    int left = 0;
    while (CURLMsg* msg = curl_multi_info_read(multi_, &left)) {
      if (msg->msg == CURLMSG_DONE) {
        result = msg->data.result;
        done = true;
      }
    }
    // Cancel() wakes this wait through curl_multi_wakeup.
    if (!done) curl_multi_poll(multi_, nullptr, 0, kPollMs, nullptr);
  }
  curl_multi_remove_handle(multi_, easy);
  return result;
}

bool CurlTransfer::Probe(const std::string& address) {
  if (cancelled_) return false;
  Easy easy = NewEasy(address, timeouts_.connect);
  if (!easy) return false;
  CURL* e = easy.get();
  curl_easy_setopt(e, CURLOPT_CONNECT_ONLY, 1L);
  // Through an HTTP proxy the probe is the proxy's CONNECT to the server, so
  // that the server itself is tried, also for an http:// address.
  curl_easy_setopt(e, CURLOPT_HTTPPROXYTUNNEL, 1L);
  curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, static_cast<long>(timeouts_.connect.count()));
  return Perform(e) == CURLE_OK;
}

std::optional<std::string> CurlTransfer::Fetch(const std::string& address, std::size_t limit) {
  if (cancelled_ || limit == 0) return std::nullopt;
  Easy easy = NewEasy(address, timeouts_.connect);
  if (!easy) return std::nullopt;
  CURL* e = easy.get();
  std::unique_ptr<curl_slist, SlistDeleter> headers(curl_slist_append(nullptr, "Accept: */*"));
  curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(e, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, static_cast<long>(timeouts_.whole.count()));
  Sink sink;
  sink.limit = limit;
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &WriteBody);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, &sink);
  const int result = Perform(e);
  if (result != CURLE_OK && !(result == CURLE_WRITE_ERROR && sink.full)) return std::nullopt;
  long status = 0;
  curl_easy_getinfo(e, CURLINFO_RESPONSE_CODE, &status);
  if (status != 200) return std::nullopt;
  return std::move(sink.bytes);
}

}  // namespace maintenance
