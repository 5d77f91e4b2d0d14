// SPDX-License-Identifier: MIT
// The module's address on the content distribution network: the two URL
// templates, the host guard every requested URL must pass, the placeholder
// expansion, and the reading of a failed transfer into a report. Pure
// functions; reentrant, any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "acquisition/launch_codes.h"
#include "localization/text_keys.h"

namespace vigilor::acquisition {

inline constexpr char kProductionModuleHost[] = "modules.vigilor.gg";
inline constexpr char kGameDevModuleHost[] = "modules-dev.vigilor.gg";

// Bodies of a 200 answer up to this size are the backend's "service
// disabled" signal, not a module.
inline constexpr std::size_t kServiceDisabledBodyLimit = 4096;

// libcurl results the transfer reads (CURLE_*); kept here so the mapping
// stays portable.
inline constexpr int kTransferOk = 0;
inline constexpr int kProxyNotResolved = 5;
inline constexpr int kHostNotResolved = 6;
inline constexpr int kAbortedByProgressHook = 42;

// "https://<host>/modules/{{productid}}/{{deploymentid}}/{{system}}".
std::string ModuleUrlTemplate(bool gameDev);

// "https://<host>/" of the environment.
std::string AllowedModuleUrlPrefix(bool gameDev);

// True when url begins with the environment's prefix (bytes, case-sensitive).
bool IsAllowedModuleUrl(std::string_view url, bool gameDev);

// Replaces every "{{productid}}", then every "{{deploymentid}}", then every
// "{{system}}" in url. Values are inserted as they are.
std::string ExpandModuleUrl(std::string url, const std::string& productId, const std::string& deploymentId,
                            const std::string& systemName);

// How a transfer that did not yield a module is reported.
struct TransferFailure {
  // Aborted by the progress hook: nothing is reported, the cache is not used.
  bool cancelled = false;
  LoaderStatus status = LS_ConnectionFailure;
  localization::LocalizedText text;
  std::vector<std::string> arguments;
  // True when the cached module may stand in before the status is reported;
  // false when the backend said the service is disabled (report at once).
  bool tryCache = true;
};

// The report for a transfer that ended with libcurl result curlResult and
// HTTP status httpCode (0 when none could be read).
TransferFailure ClassifyTransferFailure(int curlResult, long httpCode, bool serviceDisabled);

}  // namespace vigilor::acquisition
