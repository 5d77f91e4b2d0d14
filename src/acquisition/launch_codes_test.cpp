// SPDX-License-Identifier: MIT
#include "acquisition/launch_codes.h"

#include <gtest/gtest.h>

namespace vigilor::acquisition {
namespace {

TEST(MapLoaderStatus, EveryStatusHasItsAction) {
  using A = LoaderStatusAction;
  struct Case {
    std::int32_t status;
    bool allowNullClient;
    A::Kind kind;
    std::uint32_t result;
  } cases[] = {
      {501, true, A::Finish, 207},
      {502, true, A::Finish, 208},
      {503, true, A::Finish, 209},
      {504, true, A::Finish, 205},
      {505, false, A::Finish, 202},
      {505, true, A::LaunchNullClient, 301},
      {506, false, A::Finish, 204},
      {506, true, A::LaunchNullClient, 301},
      {507, false, A::Finish, 206},
      {508, false, A::StartGame, 0},
      {509, false, A::Finish, 210},
      {601, false, A::LaunchNullClient, 301},
      {1002, false, A::ModuleLoaded, 301},
      {1003, false, A::Succeed, 301},
      {777, false, A::Finish, 0},
      {0, true, A::Finish, 0},
      {-1, true, A::Finish, 0},
  };
  for (const auto& c : cases) {
    const A action = MapLoaderStatus(c.status, c.allowNullClient);
    EXPECT_EQ(action.kind, c.kind) << c.status << " null client " << c.allowNullClient;
    EXPECT_EQ(static_cast<std::uint32_t>(action.result), c.result) << c.status;
  }
}

}  // namespace
}  // namespace vigilor::acquisition
