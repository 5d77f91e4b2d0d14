// SPDX-License-Identifier: MIT
#include "telemetry/analytics_identity.h"

#include <gtest/gtest.h>

namespace vigilor::telemetry {
namespace {

TEST(AnalyticsIdentity, SessionIdentifierIsCreatedOnceAndKept) {
  AnalyticsORX::SetIdentifiers("prod-1", "sand-1", "dep-1");
  const AnalyticsIdentity first = AnalyticsORX::CurrentIdentity();
  EXPECT_EQ(first.productid, "prod-1");
  EXPECT_EQ(first.sandboxid, "sand-1");
  EXPECT_EQ(first.deploymentid, "dep-1");
  ASSERT_EQ(first.sessionId.size(), 36u);

  AnalyticsORX::SetIdentifiers("prod-2", "sand-2", "dep-2");
  const AnalyticsIdentity second = AnalyticsORX::CurrentIdentity();
  EXPECT_EQ(second.productid, "prod-2");
  EXPECT_EQ(second.deploymentid, "dep-2");
  EXPECT_EQ(second.sessionId, first.sessionId);
}

}  // namespace
}  // namespace vigilor::telemetry
