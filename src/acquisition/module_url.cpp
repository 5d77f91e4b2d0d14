// SPDX-License-Identifier: MIT
#include "acquisition/module_url.h"

namespace vigilor::acquisition {
namespace {

void ReplaceAll(std::string& text, std::string_view token, const std::string& value) {
  std::size_t at = text.find(token);
  while (at != std::string::npos) {
    text.replace(at, token.size(), value);
    // Continue after the inserted value so a value holding the token is not
    // expanded again.
    at = text.find(token, at + value.size());
  }
}

const char* HostFor(bool gameDev) { return gameDev ? kGameDevModuleHost : kProductionModuleHost; }

}  // namespace

std::string AllowedModuleUrlPrefix(bool gameDev) { return std::string("https://") + HostFor(gameDev) + "/"; }

std::string ModuleUrlTemplate(bool gameDev) {
  return AllowedModuleUrlPrefix(gameDev) + "modules/{{productid}}/{{deploymentid}}/{{system}}";
}

bool IsAllowedModuleUrl(std::string_view url, bool gameDev) {
  return url.starts_with(AllowedModuleUrlPrefix(gameDev));
}

std::string ExpandModuleUrl(std::string url, const std::string& productId, const std::string& deploymentId,
                            const std::string& systemName) {
  ReplaceAll(url, "{{productid}}", productId);
  ReplaceAll(url, "{{deploymentid}}", deploymentId);
  ReplaceAll(url, "{{system}}", systemName);
  return url;
}

TransferFailure ClassifyTransferFailure(int curlResult, long httpCode, bool serviceDisabled) {
  TransferFailure failure;
  failure.tryCache = !serviceDisabled;
  switch (curlResult) {
    case kTransferOk:
      failure.status = LS_ConnectionFailure;
      failure.text = localization::texts::kHttpResponse;
      failure.arguments = {std::to_string(httpCode), std::to_string(curlResult)};
      break;
    case kProxyNotResolved:
      failure.status = LS_DnsFailure;
      failure.text = localization::texts::kDnsResolveFailed;
      break;
    case kHostNotResolved:
      failure.status = LS_DnsFailure;
      failure.text = localization::texts::kDns;
      break;
    case kAbortedByProgressHook:
      failure.cancelled = true;
      failure.tryCache = false;
      failure.text = localization::texts::kCancelled;
      break;
    default:
      failure.status = LS_ConnectionFailure;
      failure.text = localization::texts::kDnsConnectionFailed;
      failure.arguments = {std::to_string(curlResult)};
      break;
  }
  return failure;
}

}  // namespace vigilor::acquisition
