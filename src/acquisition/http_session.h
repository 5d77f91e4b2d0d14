// SPDX-License-Identifier: MIT
// HttpSession: one libcurl easy handle for one logical request, with the
// response captured in memory and a fallback through the system's proxies.
//
// Contract:
// - Initialize before use; then any number of AddHeader, SetOption and
//   Perform. The destructor frees the handle, the header list and WinHTTP.
// - TLS peer and host verification are always on. On Windows Schannel checks
//   the chain against the system trust store; under Wine libcurl is given the
//   trust anchors explicitly (tls_trust.h). SetOption refuses every option
//   that would loosen verification or replace the session's own capture.
// - The response body never grows beyond its limit (kMaxResponseBodyBytes or
//   lower): a larger body ends the transfer as a failure while it arrives.
// - Perform tries the direct route first; after a transport failure it tries
//   each discovered proxy with shortened connect timeouts. A transfer that
//   was aborted by its progress hook or whose body was too large is final.
// - Failures are answered as bool plus the libcurl result; nothing throws.
//   Lines go to the log sink, formatted per call (any thread may log).
// - One thread at a time per session; sessions on different threads are
//   independent. Implemented for Windows only (http_session_win.cpp).
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "acquisition/proxy_candidates.h"
#include "acquisition/response_capture.h"
#include "foundation/logger.h"  // VIGILOR_PRINTF

typedef void CURL;  // as libcurl declares it; keeps curl.h (and windows.h) out
struct curl_slist;

namespace vigilor::acquisition {

class WinHttpProxyDiscovery;

// Receives one log text without line break; null means no logging.
using HttpLogSink = std::function<void(const char* text)>;

// Transfer progress, as libcurl reports it; a non-zero answer aborts the
// transfer with CURLE_ABORTED_BY_CALLBACK (42).
using TransferProgressFunction = int (*)(void* context, std::int64_t downloadTotal, std::int64_t downloaded,
                                         std::int64_t uploadTotal, std::int64_t uploaded);

// Starts, on threads of their own, what the first session would otherwise
// spend its start on: libcurl's global start-up and, under Wine, gathering
// the trust anchors. A session made meanwhile waits only for what is not
// ready yet. Destruction joins the threads. Any thread; a thread that cannot
// be started leaves its part to the first session.
class HttpPreparation {
 public:
  HttpPreparation();
  ~HttpPreparation();
  HttpPreparation(const HttpPreparation&) = delete;
  HttpPreparation& operator=(const HttpPreparation&) = delete;

 private:
  std::thread library_;
  std::thread trustAnchors_;
};

class HttpSession {
 public:
  HttpSession();
  ~HttpSession();
  HttpSession(const HttpSession&) = delete;
  HttpSession& operator=(const HttpSession&) = delete;

  void SetLogSink(HttpLogSink sink) { logSink_ = std::move(sink); }

  // Creates the handle if needed and sets the common options. False (and no
  // handle) when libcurl is not the version this program was built with or
  // an option cannot be set.
  [[nodiscard]] bool Initialize();

  // Frees the header list, resets the handle, clears the response and runs
  // Initialize again.
  [[nodiscard]] bool Reset();

  // Appends one complete header line ("Name: value") to the request.
  bool AddHeader(const std::string& line);

  // Sets one libcurl option (a CURLOPT_ value) on the handle. Integers suit
  // long and curl_off_t options, pointers object and blob options. A refused
  // or failing option is logged and answered false. Setting
  // CURLOPT_CONNECTTIMEOUT_MS also sets the session's connect timeout.
  template <typename T>
    requires std::integral<T> || std::is_enum_v<T>
  bool SetOption(int option, T value) {
    return SetIntegerOption(option, static_cast<std::int64_t>(value));
  }
  bool SetOption(int option, const void* value);

  // Installs a progress hook (and turns progress reporting on).
  bool SetProgressFunction(TransferProgressFunction function, void* context);

  // Lowers the body limit for later transfers (never above the hard cap).
  void LimitResponseBody(std::size_t maxBytes);

  // GET (or whatever the options say) of url with an overall timeout
  // (0 = none). True when a transfer succeeded, whatever its HTTP status;
  // result is the libcurl result of the last attempt (CURLE_FAILED_INIT when
  // there is no handle).
  bool Perform(const std::string& url, int& result, std::int32_t timeoutMs);

  // Value of a response header, name in any case; false when absent or empty.
  bool GetResponseHeader(const std::string& name, std::string& value) const;

  // HTTP status of the last response, 0 when there was none.
  long ResponseCode() const;

  const std::vector<std::uint8_t>& responseBody() const { return capture_.body.bytes(); }
  std::vector<std::uint8_t> TakeResponseBody() { return std::move(capture_.body.bytes()); }

  // True when the last Perform got more body bytes than the limit allows.
  bool responseBodyTooLarge() const { return bodyTooLarge_; }
  // True when the last Perform went on to try proxies.
  bool usedProxy() const { return usedProxy_; }
  std::int32_t connectTimeoutMs() const { return connectTimeoutMs_; }

  // The system's proxies for url: automatic discovery first, then the user's
  // manual settings. Loads WinHTTP on first use.
  std::vector<ProxyCandidate> DiscoverProxies(const std::string& url);

 private:
  class ProxyAttempts;

  bool SetCommonOptions();
  bool SetTrustOptions();
  bool SetIntegerOption(int option, std::int64_t value);
  bool SetOptionChecked(int option, int code);
  bool IsFinalFailure(int code) const;
  int PerformOnce();
  void LogResult(int code);
  void ClearResponse();
  void CleanUpHandle();
  void Log(const char* format, ...) VIGILOR_PRINTF(2, 3);

  HttpLogSink logSink_;
  CURL* handle_ = nullptr;
  char errorBuffer_[256] = {};
  curl_slist* headerList_ = nullptr;
  ResponseCapture capture_;
  std::int32_t connectTimeoutMs_ = kDefaultConnectTimeoutMs;
  bool usedProxy_ = false;
  bool bodyTooLarge_ = false;
  std::unique_ptr<WinHttpProxyDiscovery> proxyDiscovery_;
};

}  // namespace vigilor::acquisition
