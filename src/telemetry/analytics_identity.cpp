// SPDX-License-Identifier: MIT
#include "telemetry/analytics_identity.h"

#include <mutex>

#include "foundation/random.h"

namespace vigilor::telemetry::AnalyticsORX {
namespace {

std::mutex g_lock;
AnalyticsIdentity g_identity;

}  // namespace

void SetIdentifiers(const std::string& productid, const std::string& sandboxid, const std::string& deploymentid) {
  std::lock_guard<std::mutex> guard(g_lock);
  g_identity.productid = productid;
  g_identity.sandboxid = sandboxid;
  g_identity.deploymentid = deploymentid;
  if (g_identity.sessionId.empty()) g_identity.sessionId = FormatRandomGuid();
}

AnalyticsIdentity CurrentIdentity() {
  std::lock_guard<std::mutex> guard(g_lock);
  return g_identity;
}

}  // namespace vigilor::telemetry::AnalyticsORX
