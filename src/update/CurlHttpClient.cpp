#include "update/CurlHttpClient.h"

#include <curl/curl.h>

#include <cctype>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>

#include "base/StopEvent.h"

namespace orlo::update {
namespace {

using Clock = std::chrono::steady_clock;

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  for (size_t i = 0; prefix[i]; ++i) {
    if (i >= text.size() || std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

// State shared with libcurl's callbacks for one exchange.
struct Transfer {
  CURL* curl = nullptr;
  const HttpRequest* request = nullptr;
  const CurlClientOptions* options = nullptr;
  HttpReply* reply = nullptr;
  uint64_t received = 0;
  bool tooLarge = false;
  bool sinkRefused = false;
  bool idleExpired = false;
  bool cancelled = false;
  curl_off_t lastMoved = -1;  // bytes moved either way when the idle clock last restarted
  Clock::time_point idleSince = Clock::now();
};

bool SuccessStatus(CURL* curl) {
  long code = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &code);
  return code >= 200 && code < 300;
}

size_t OnBody(char* data, size_t one, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const size_t length = one * count;
  // The body of a non-success answer is nobody's data.
  if (!SuccessStatus(t->curl)) return length;
  const HttpRequest& r = *t->request;
  size_t keep = length;
  if (t->received + length > r.replyLimit) {
    if (r.cutIsFailure) {
      t->tooLarge = true;
      return 0;
    }
    keep = static_cast<size_t>(r.replyLimit - t->received);
    t->reply->cut = true;
  }
  if (r.sink) {
    if (keep > 0 && !r.sink(data, keep)) {
      t->sinkRefused = true;
      return 0;
    }
  } else {
    t->reply->body.append(data, keep);
  }
  t->received += keep;
  if (r.progress) {
    curl_off_t total = -1;
    curl_easy_getinfo(t->curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &total);
    r.progress(t->received, total > 0 ? static_cast<uint64_t>(total) : 0);
  }
  // Returning less than given stops the transfer: the reply ends at the limit.
  return keep == length ? length : 0;
}

int OnProgress(void* user, curl_off_t, curl_off_t dlnow, curl_off_t, curl_off_t ulnow) {
  auto* t = static_cast<Transfer*>(user);
  if (t->options->stop && t->options->stop->IsSet()) {
    t->cancelled = true;
    return 1;
  }
  // The idle clock runs only once the secure connection stands; before that the connect
  // time-out applies.
  curl_off_t handshake = 0;
  curl_easy_getinfo(t->curl, CURLINFO_APPCONNECT_TIME_T, &handshake);
  const auto now = Clock::now();
  const curl_off_t moved = dlnow + ulnow;
  if (handshake <= 0 || moved != t->lastMoved) {
    t->lastMoved = moved;
    t->idleSince = now;
    return 0;
  }
  const long idleMs = t->options->timeouts.idleMs;
  if (idleMs > 0 && now - t->idleSince >= std::chrono::milliseconds(idleMs)) {
    t->idleExpired = true;
    return 1;
  }
  return 0;
}

HttpFailure Classify(CURLcode code, const Transfer& t) {
  switch (code) {
    case CURLE_OK: return HttpFailure::None;
    case CURLE_UNSUPPORTED_PROTOCOL:  // the URL was checked: this is where a redirect led
    case CURLE_TOO_MANY_REDIRECTS: return HttpFailure::Redirect;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT: return HttpFailure::Connect;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH: return HttpFailure::Certificate;
    case CURLE_SSL_CONNECT_ERROR: return HttpFailure::Tls;
    case CURLE_OPERATION_TIMEDOUT: return HttpFailure::Timeout;
    case CURLE_HTTP_RETURNED_ERROR: return HttpFailure::Status;
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR: return HttpFailure::Truncated;
    case CURLE_FILESIZE_EXCEEDED: return HttpFailure::TooLarge;
    case CURLE_WRITE_ERROR:
      if (t.tooLarge) return HttpFailure::TooLarge;
      if (t.reply->cut && !t.sinkRefused) return HttpFailure::None;
      return HttpFailure::Other;
    case CURLE_ABORTED_BY_CALLBACK:
      if (t.cancelled) return HttpFailure::Cancelled;
      if (t.idleExpired) return HttpFailure::Timeout;
      return HttpFailure::Other;
    default: return HttpFailure::Other;
  }
}

struct CurlDeleter {
  void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct ListDeleter {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

}  // namespace

CCurlHttpClient::CCurlHttpClient(CurlClientOptions options) : options_(std::move(options)) { GlobalInit(); }

HttpReply CCurlHttpClient::Send(const HttpRequest& request) {
  HttpReply reply;
  if (!StartsWithNoCase(request.url, "https://")) {
    reply.failure = HttpFailure::BadUrl;
    reply.detail = "only https URLs are used: " + request.url;
    return reply;
  }
  std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
  if (!curl) {
    reply.detail = "cannot start a transfer";
    return reply;
  }
  CURL* c = curl.get();
  Transfer t;
  t.curl = c;
  t.request = &request;
  t.options = &options_;
  t.reply = &reply;

  // Appending to a non-empty list returns its unchanged head, or null with the list untouched.
  std::unique_ptr<curl_slist, ListDeleter> headers;
  for (const auto& h : request.headers) {
    curl_slist* head = curl_slist_append(headers.get(), h.c_str());
    if (!head) {
      reply.detail = "out of memory";
      return reply;
    }
    if (!headers) headers.reset(head);
  }

  char error[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error);
  curl_easy_setopt(c, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "https");
  curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "https");
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, options_.maxRedirects);
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!options_.caFile.empty()) curl_easy_setopt(c, CURLOPT_CAINFO, options_.caFile.c_str());
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, options_.timeouts.connectMs);
  if (options_.timeouts.totalMs > 0) curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, options_.timeouts.totalMs);
  if (!options_.userAgent.empty()) curl_easy_setopt(c, CURLOPT_USERAGENT, options_.userAgent.c_str());
  if (request.cutIsFailure && request.replyLimit < static_cast<size_t>(INT64_MAX))
    curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(request.replyLimit));
  if (request.method == HttpMethod::Post) {
    curl_easy_setopt(c, CURLOPT_POST, 1L);
    curl_easy_setopt(c, CURLOPT_POSTFIELDS, request.body.data());
    curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
  } else {
    curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
  }
  if (headers) curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &t);
  curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, &t);

  const CURLcode code = curl_easy_perform(c);
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &reply.status);
  reply.failure = Classify(code, t);
  if (reply.failure == HttpFailure::None && (reply.status < 200 || reply.status >= 300)) {
    reply.failure = HttpFailure::Status;
  }
  if (reply.failure != HttpFailure::None) {
    reply.detail = error[0] ? error : curl_easy_strerror(code);
    if (reply.failure == HttpFailure::Status) reply.detail = "HTTP status " + std::to_string(reply.status);
    if (reply.failure == HttpFailure::Timeout && t.idleExpired)
      reply.detail = "no data for " + std::to_string(options_.timeouts.idleMs) + " ms";
    if (!request.sink) reply.body.clear();
  }
  return reply;
}

}  // namespace orlo::update
