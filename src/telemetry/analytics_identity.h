// SPDX-License-Identifier: MIT
// The process-wide identity every analytics event carries: the game's
// product, sandbox and deployment identifiers and the run's session
// identifier. Written on the main thread when the settings are loaded, read
// by the analytics worker; any thread may call both functions.
#pragma once

#include <string>

namespace vigilor::telemetry {

struct AnalyticsIdentity {
  std::string productid;
  std::string sandboxid;
  std::string deploymentid;
  std::string sessionId;  // 36 characters once set, the same for the whole run
};

namespace AnalyticsORX {

// Stores copies of the three identifiers; the first call also creates the
// session identifier, which later calls keep.
void SetIdentifiers(const std::string& productid, const std::string& sandboxid, const std::string& deploymentid);

// A copy of the identity; all fields are empty before SetIdentifiers.
AnalyticsIdentity CurrentIdentity();

}  // namespace AnalyticsORX
}  // namespace vigilor::telemetry
