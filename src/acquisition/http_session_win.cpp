// SPDX-License-Identifier: MIT
#include "acquisition/http_session.h"

// Older option names (CURLOPT_PROTOCOLS) are only refused here, never used.
#define CURL_DISABLE_DEPRECATION
#include <curl/curl.h>

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "acquisition/proxy_discovery_win.h"
#include "acquisition/tls_trust.h"

static_assert(std::is_same_v<curl_off_t, std::int64_t>, "TransferProgressFunction must match libcurl's");

namespace vigilor::acquisition {
namespace {

constexpr size_t kLogTextBytes = 768;

// libcurl's global state, set up once per process, and whether the running
// library is the one this program was built and checked against.
struct CurlLibrary {
  bool ready = false;
  const char* runningVersion = "unknown";
};

const CurlLibrary& GlobalCurl() {
  static const CurlLibrary library = [] {
    CurlLibrary state;
    if (curl_global_init(CURL_GLOBAL_ALL) != CURLE_OK) return state;
    std::atexit(curl_global_cleanup);
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    if (!info) return state;
    state.runningVersion = info->version;
    state.ready = info->version_num == LIBCURL_VERSION_NUM;
    return state;
  }();
  return library;
}

// Callbacks run inside curl_easy_perform; nothing may unwind through libcurl,
// so an allocation failure becomes a short count, which fails the transfer.
size_t OnHeaderLine(char* data, size_t size, size_t count, void* context) {
  const size_t length = size * count;
  try {
    CaptureHeaderLine(std::string_view(data, length), *static_cast<ResponseCapture*>(context));
  } catch (const std::bad_alloc&) {
    return 0;
  }
  return length;
}

size_t OnBodyBytes(char* data, size_t size, size_t count, void* context) {
  try {
    return static_cast<CappedBody*>(context)->Append(data, size * count);
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

// Requests carry no upload stream of their own: an upload that was not given
// data ends at once instead of sending bytes nobody wrote.
size_t OnUploadRead(char*, size_t, size_t, void*) { return 0; }

// Options the session owns: trust and verification, the accepted protocols,
// the response capture and its size limit.
bool IsSessionOwnedOption(int option) {
  switch (option) {
    case CURLOPT_SSL_VERIFYPEER:
    case CURLOPT_SSL_VERIFYHOST:
    case CURLOPT_PROXY_SSL_VERIFYPEER:
    case CURLOPT_PROXY_SSL_VERIFYHOST:
    case CURLOPT_CAINFO:
    case CURLOPT_CAINFO_BLOB:
    case CURLOPT_CAPATH:
    case CURLOPT_PROXY_CAINFO:
    case CURLOPT_PROXY_CAINFO_BLOB:
    case CURLOPT_PROXY_CAPATH:
    case CURLOPT_SSL_OPTIONS:
    case CURLOPT_PROXY_SSL_OPTIONS:
    case CURLOPT_SSL_CTX_DATA:
    case CURLOPT_PROTOCOLS:
    case CURLOPT_PROTOCOLS_STR:
    case CURLOPT_REDIR_PROTOCOLS:
    case CURLOPT_REDIR_PROTOCOLS_STR:
    case CURLOPT_HEADERDATA:
    case CURLOPT_WRITEDATA:
    case CURLOPT_READDATA:
    case CURLOPT_ERRORBUFFER:
    case CURLOPT_MAXFILESIZE:
    case CURLOPT_MAXFILESIZE_LARGE:
      return true;
    default:
      return false;
  }
}

bool IsPointerOption(int option) {
  return (option >= CURLOPTTYPE_OBJECTPOINT && option < CURLOPTTYPE_FUNCTIONPOINT) || option >= CURLOPTTYPE_BLOB;
}

}  // namespace

// Proxy attempts on the session's handle, for TryProxyCandidates.
class HttpSession::ProxyAttempts : public ProxyAttemptTarget {
 public:
  ProxyAttempts(HttpSession& session, int& result) : session_(session), result_(result) {}

  void SetConnectTimeoutMs(std::int32_t ms) override { session_.SetIntegerOption(CURLOPT_CONNECTTIMEOUT_MS, ms); }

  void SetNoProxy(const std::string& hosts) override {
    session_.Log("Setting NOPROXY URLs: %s", hosts.c_str());
    session_.SetOptionChecked(CURLOPT_NOPROXY, curl_easy_setopt(session_.handle_, CURLOPT_NOPROXY, hosts.c_str()));
  }

  void SetProxy(const std::string& url) override {
    session_.Log("Trying proxy: %s", url.c_str());
    session_.SetOptionChecked(CURLOPT_PROXY, curl_easy_setopt(session_.handle_, CURLOPT_PROXY, url.c_str()));
  }

  ProxyAttemptResult PerformAttempt() override {
    // Bytes of a failed route must not end up in front of the next one's.
    session_.ClearResponse();
    result_ = session_.PerformOnce();
    if (result_ == CURLE_OK) return ProxyAttemptResult::Succeeded;
    return session_.IsFinalFailure(result_) ? ProxyAttemptResult::Final : ProxyAttemptResult::Failed;
  }

 private:
  HttpSession& session_;
  int& result_;
};

HttpSession::HttpSession() = default;

HttpSession::~HttpSession() { CleanUpHandle(); }

void HttpSession::CleanUpHandle() {
  curl_slist_free_all(headerList_);
  headerList_ = nullptr;
  if (handle_) curl_easy_cleanup(handle_);
  handle_ = nullptr;
}

namespace {

std::thread StartThread(void (*work)()) {
  try {
    return std::thread(work);
  } catch (const std::system_error&) {
    return {};
  }
}

}  // namespace

HttpPreparation::HttpPreparation() {
  library_ = StartThread([] { GlobalCurl(); });
  if (CurrentTlsTrustSource() == TlsTrustSource::ExplicitAnchors) {
    trustAnchors_ = StartThread([] { ExplicitTrustAnchorsPem(); });
  }
}

HttpPreparation::~HttpPreparation() {
  if (library_.joinable()) library_.join();
  if (trustAnchors_.joinable()) trustAnchors_.join();
}

bool HttpSession::Initialize() {
  const CurlLibrary& library = GlobalCurl();
  if (!library.ready) {
    Log("libcurl %s is not the version this program was built with (%s).", library.runningVersion,
        LIBCURL_VERSION);
    return false;
  }
  if (!handle_) {
    handle_ = curl_easy_init();
    if (!handle_) return false;
  }
  connectTimeoutMs_ = kDefaultConnectTimeoutMs;
  if (!SetCommonOptions() || !SetTrustOptions()) {
    CleanUpHandle();
    return false;
  }
  return true;
}

bool HttpSession::SetCommonOptions() {
  return SetOptionChecked(CURLOPT_NOSIGNAL, curl_easy_setopt(handle_, CURLOPT_NOSIGNAL, 1L)) &&
         SetOptionChecked(CURLOPT_PROTOCOLS_STR, curl_easy_setopt(handle_, CURLOPT_PROTOCOLS_STR, "http,https")) &&
         SetOptionChecked(CURLOPT_HEADERDATA, curl_easy_setopt(handle_, CURLOPT_HEADERDATA, &capture_)) &&
         SetOptionChecked(CURLOPT_HEADERFUNCTION, curl_easy_setopt(handle_, CURLOPT_HEADERFUNCTION, OnHeaderLine)) &&
         SetOptionChecked(CURLOPT_WRITEDATA, curl_easy_setopt(handle_, CURLOPT_WRITEDATA, &capture_.body)) &&
         SetOptionChecked(CURLOPT_WRITEFUNCTION, curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, OnBodyBytes)) &&
         SetOptionChecked(CURLOPT_ERRORBUFFER, curl_easy_setopt(handle_, CURLOPT_ERRORBUFFER, errorBuffer_)) &&
         SetOptionChecked(CURLOPT_SSL_OPTIONS, curl_easy_setopt(handle_, CURLOPT_SSL_OPTIONS, CURLSSLOPT_NO_REVOKE)) &&
         SetOptionChecked(CURLOPT_READFUNCTION, curl_easy_setopt(handle_, CURLOPT_READFUNCTION, OnUploadRead)) &&
         SetOptionChecked(CURLOPT_MAXFILESIZE_LARGE,
                          curl_easy_setopt(handle_, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(capture_.body.limit())));
}

bool HttpSession::SetTrustOptions() {
  // Verification stays on for the server and for a TLS proxy alike.
  const bool verifying =
      SetOptionChecked(CURLOPT_SSL_VERIFYPEER, curl_easy_setopt(handle_, CURLOPT_SSL_VERIFYPEER, 1L)) &&
      SetOptionChecked(CURLOPT_SSL_VERIFYHOST, curl_easy_setopt(handle_, CURLOPT_SSL_VERIFYHOST, 2L)) &&
      SetOptionChecked(CURLOPT_PROXY_SSL_VERIFYPEER, curl_easy_setopt(handle_, CURLOPT_PROXY_SSL_VERIFYPEER, 1L)) &&
      SetOptionChecked(CURLOPT_PROXY_SSL_VERIFYHOST, curl_easy_setopt(handle_, CURLOPT_PROXY_SSL_VERIFYHOST, 2L)) &&
      SetOptionChecked(CURLOPT_PROXY_SSL_OPTIONS,
                       curl_easy_setopt(handle_, CURLOPT_PROXY_SSL_OPTIONS, CURLSSLOPT_NO_REVOKE));
  if (!verifying || CurrentTlsTrustSource() == TlsTrustSource::SystemValidation) return verifying;

  // With a blob (even an empty one) Schannel's automatic validation is off and
  // libcurl checks chain and name against these anchors alone.
  const std::string& anchors = ExplicitTrustAnchorsPem();
  if (anchors.empty()) Log("No trust anchors found: every TLS server will be refused.");
  curl_blob blob = {const_cast<char*>(anchors.data()), anchors.size(), CURL_BLOB_NOCOPY};
  return SetOptionChecked(CURLOPT_CAINFO_BLOB, curl_easy_setopt(handle_, CURLOPT_CAINFO_BLOB, &blob)) &&
         SetOptionChecked(CURLOPT_PROXY_CAINFO_BLOB, curl_easy_setopt(handle_, CURLOPT_PROXY_CAINFO_BLOB, &blob));
}

bool HttpSession::Reset() {
  curl_slist_free_all(headerList_);
  headerList_ = nullptr;
  if (handle_) curl_easy_reset(handle_);
  ClearResponse();
  return Initialize();
}

bool HttpSession::AddHeader(const std::string& line) {
  curl_slist* list = curl_slist_append(headerList_, line.c_str());
  if (!list) {
    Log("Cannot add request header: out of memory.");
    return false;
  }
  headerList_ = list;
  return SetOptionChecked(CURLOPT_HTTPHEADER, curl_easy_setopt(handle_, CURLOPT_HTTPHEADER, headerList_));
}

bool HttpSession::SetOptionChecked(int option, int code) {
  if (code == CURLE_OK) return true;
  Log("curl_easy_setopt failed! Option: %i ErrCode: %i ErrStr: %s.", option, code,
      curl_easy_strerror(static_cast<CURLcode>(code)));
  return false;
}

bool HttpSession::SetIntegerOption(int option, std::int64_t value) {
  if (IsSessionOwnedOption(option)) {
    Log("Option %i belongs to the session and was not changed.", option);
    return false;
  }
  CURLcode code = CURLE_BAD_FUNCTION_ARGUMENT;
  const CURLoption curlOption = static_cast<CURLoption>(option);
  if (option < CURLOPTTYPE_OBJECTPOINT) {
    if (value >= LONG_MIN && value <= LONG_MAX) code = curl_easy_setopt(handle_, curlOption, static_cast<long>(value));
  } else if (option >= CURLOPTTYPE_OFF_T && option < CURLOPTTYPE_BLOB) {
    code = curl_easy_setopt(handle_, curlOption, static_cast<curl_off_t>(value));
  }
  if (code == CURLE_OK && value >= 0 && value <= INT32_MAX) {
    if (option == CURLOPT_CONNECTTIMEOUT_MS) connectTimeoutMs_ = static_cast<std::int32_t>(value);
    if (option == CURLOPT_CONNECTTIMEOUT && value <= INT32_MAX / 1000) {
      connectTimeoutMs_ = static_cast<std::int32_t>(value * 1000);
    }
  }
  return SetOptionChecked(option, code);
}

bool HttpSession::SetOption(int option, const void* value) {
  if (IsSessionOwnedOption(option)) {
    Log("Option %i belongs to the session and was not changed.", option);
    return false;
  }
  const CURLcode code = IsPointerOption(option)
                            ? curl_easy_setopt(handle_, static_cast<CURLoption>(option), const_cast<void*>(value))
                            : CURLE_BAD_FUNCTION_ARGUMENT;
  return SetOptionChecked(option, code);
}

bool HttpSession::SetProgressFunction(TransferProgressFunction function, void* context) {
  return SetOptionChecked(CURLOPT_NOPROGRESS, curl_easy_setopt(handle_, CURLOPT_NOPROGRESS, 0L)) &&
         SetOptionChecked(CURLOPT_XFERINFODATA, curl_easy_setopt(handle_, CURLOPT_XFERINFODATA, context)) &&
         SetOptionChecked(CURLOPT_XFERINFOFUNCTION, curl_easy_setopt(handle_, CURLOPT_XFERINFOFUNCTION, function));
}

void HttpSession::LimitResponseBody(std::size_t maxBytes) {
  capture_.body.SetLimit(maxBytes);
  if (handle_) {
    SetOptionChecked(CURLOPT_MAXFILESIZE_LARGE,
                     curl_easy_setopt(handle_, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(capture_.body.limit())));
  }
}

void HttpSession::ClearResponse() {
  capture_.headers.clear();
  capture_.body.Clear();
  bodyTooLarge_ = false;
}

bool HttpSession::IsFinalFailure(int code) const {
  // The caller stopped the transfer, or the server's answer is too large by
  // any route: another route would only repeat it.
  return code == CURLE_ABORTED_BY_CALLBACK || bodyTooLarge_;
}

int HttpSession::PerformOnce() {
  errorBuffer_[0] = '\0';
  const int code = curl_easy_perform(handle_);
  bodyTooLarge_ = capture_.body.tooLarge() || code == CURLE_FILESIZE_EXCEEDED;
  LogResult(code);
  return code;
}

void HttpSession::LogResult(int code) {
  long status = 0;
  if (code == CURLE_OK && curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK) status = 0;
  char* ip = nullptr;
  if (curl_easy_getinfo(handle_, CURLINFO_PRIMARY_IP, &ip) != CURLE_OK || !ip || !*ip) ip = nullptr;
  Log("Connect result: %s (%i) Response Code: %i Destination IP: %s", curl_easy_strerror(static_cast<CURLcode>(code)),
      code, static_cast<int>(status), ip ? ip : "Unavailable");
  if (code != CURLE_OK && errorBuffer_[0] != '\0') Log("Error detail: %s", errorBuffer_);
  if (bodyTooLarge_) Log("Response body exceeds %zu bytes; transfer stopped.", capture_.body.limit());
}

bool HttpSession::Perform(const std::string& url, int& result, std::int32_t timeoutMs) {
  result = CURLE_FAILED_INIT;
  ClearResponse();
  usedProxy_ = false;
  if (!handle_) return false;

  SetOptionChecked(CURLOPT_TIMEOUT_MS, curl_easy_setopt(handle_, CURLOPT_TIMEOUT_MS, static_cast<long>(timeoutMs)));
  Log("Connecting to URL: %s", url.c_str());
  SetOptionChecked(CURLOPT_URL, curl_easy_setopt(handle_, CURLOPT_URL, url.c_str()));
  result = PerformOnce();
  if (result == CURLE_OK) return true;
  if (IsFinalFailure(result)) return false;

  ClearResponse();
  const std::vector<ProxyCandidate> candidates = DiscoverProxies(url);
  if (candidates.empty()) return false;
  usedProxy_ = true;
  ProxyAttempts attempts(*this, result);
  return TryProxyCandidates(candidates, connectTimeoutMs_, attempts);
}

bool HttpSession::GetResponseHeader(const std::string& name, std::string& value) const {
  std::string key = name;
  for (char& c : key) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  const auto found = capture_.headers.find(key);
  if (found == capture_.headers.end() || found->second.empty()) return false;
  value = found->second;
  return true;
}

long HttpSession::ResponseCode() const {
  long status = 0;
  if (!handle_ || curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK) return 0;
  return status;
}

std::vector<ProxyCandidate> HttpSession::DiscoverProxies(const std::string& url) {
  if (!proxyDiscovery_) proxyDiscovery_ = std::make_unique<WinHttpProxyDiscovery>();
  return proxyDiscovery_->Discover(url);
}

void HttpSession::Log(const char* format, ...) {
  if (!logSink_) return;
  char text[kLogTextBytes];
  va_list args;
  va_start(args, format);
  const int written = std::vsnprintf(text, sizeof(text), format, args);
  va_end(args);
  if (written < 0) return;
  logSink_(text);
}

}  // namespace vigilor::acquisition
