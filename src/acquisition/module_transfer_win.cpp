// SPDX-License-Identifier: MIT
// cModuleLoader's module transfer: one conditional GET on the CDN, read as a
// fresh module, a confirmation of the cached one, or a failure.
#include <curl/curl.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "acquisition/http_session.h"
#include "acquisition/module_loader.h"
#include "acquisition/module_scramble.h"
#include "acquisition/module_url.h"
#include "foundation/logger.h"

namespace vigilor::acquisition {
namespace {

constexpr long kConnectTimeoutMs = 30000;
constexpr long kLowSpeedLimitBytesPerSecond = 5120;
constexpr long kLowSpeedTimeSeconds = 60;
// libcurl reads 16 KiB at a time by default. Under Wine every socket read
// costs round trips to the wineserver, and a module of 8 MiB arrived about
// three times slower than with reads of this size.
constexpr long kReceiveBufferBytes = 512 * 1024;

int TransferProgressHook(void* context, std::int64_t downloadTotal, std::int64_t downloaded, std::int64_t uploadTotal,
                         std::int64_t uploaded) {
  auto* loader = static_cast<cModuleLoader*>(context);
  return loader->OnTransferProgress(static_cast<std::uint64_t>(downloadTotal), static_cast<std::uint64_t>(downloaded),
                                    static_cast<std::uint64_t>(uploadTotal), static_cast<std::uint64_t>(uploaded))
             ? 1
             : 0;
}

void AddFixedHeaders(HttpSession& session) {
  session.AddHeader("Accept: application/octet-stream");
  session.AddHeader("Accept-Encoding: identity");
  session.AddHeader("Cache-Control: max-age=0");
  session.AddHeader("User-Agent: Vigilor-Client/1.0");
}

// A failing option is logged by the session; the request goes on.
void SetTransferOptions(HttpSession& session, cModuleLoader* loader) {
  session.SetOption(CURLOPT_DNS_SHUFFLE_ADDRESSES, 1L);
  session.SetOption(CURLOPT_DNS_CACHE_TIMEOUT, 0L);
  session.SetOption(CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
  session.SetOption(CURLOPT_LOW_SPEED_LIMIT, kLowSpeedLimitBytesPerSecond);
  session.SetOption(CURLOPT_LOW_SPEED_TIME, kLowSpeedTimeSeconds);
  session.SetOption(CURLOPT_HTTPGET, 1L);
  session.SetOption(CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
  session.SetProgressFunction(&TransferProgressHook, loader);
  session.SetOption(CURLOPT_TIMEOUT_MS, 0L);
}

}  // namespace

bool cModuleLoader::LoadCachedModule() {
  if (!cache_.LoadCachedModule()) return false;
  LoadAndStartModule(cache_.pendingModule());
  return true;
}

bool cModuleLoader::DownloadModule(const std::string& url, bool notify, bool& cancelled) {
  cancelled = false;
  HttpSession session;
  session.SetLogSink([](const char* text) { Log(LogLevel::Info, "[Connection] %s", text); });
  if (!session.Initialize()) {
    Log(LogLevel::Error, "Failed to initialize curl!");
    return false;
  }
  AddFixedHeaders(session);
  if (!IsAllowedModuleUrl(url, gameDev_)) {
    Log(LogLevel::Info, "%s", Text(localization::texts::kDisallowedCdnPath).c_str());
    return false;
  }
  if (cache_.valid()) session.AddHeader("If-None-Match: " + cache_.tag());
  SetTransferOptions(session, this);

  int result = CURLE_OK;
  bool serviceDisabled = false;
  long httpCode = 0;
  if (session.Perform(ExpandModuleUrl(url, productId_, deploymentId_, systemName_), result, 0)) {
    httpCode = session.ResponseCode();
    if (httpCode == 304) {
      Log(LogLevel::Info, "No update needed.");
      OnTransferProgress(1, 1, 0, 0);
      if (LoadCachedModule()) return true;
    } else if (httpCode == 200) {
      std::vector<std::uint8_t> body = session.TakeResponseBody();
      if (body.size() > kServiceDisabledBodyLimit) {
        OnTransferProgress(1, 1, 0, 0);
        std::string tag;
        if (!session.GetResponseHeader("ETag", tag)) tag = "N/A";
        // One copy only: the mapped module is also what the cache writes back.
        DescrambleModule(body);
        cache_.SetPending(std::move(body), std::move(tag));
        LoadAndStartModule(cache_.pendingModule());
        return true;
      }
      Log(LogLevel::Info, "Anti-cheat service disabled on backend.");
      serviceDisabled = true;
    }
  }

  const TransferFailure failure = ClassifyTransferFailure(result, httpCode, serviceDisabled);
  const std::string text = Text(failure.text, failure.arguments);
  Log(LogLevel::Info, "%s", text.c_str());
  if (failure.cancelled) {
    cancelled = true;
    return false;
  }
  if (notify && !(failure.tryCache && LoadCachedModule())) ReportStatus(failure.status, text.c_str());
  return false;
}

}  // namespace vigilor::acquisition
