// SPDX-License-Identifier: MIT
#include "launcher/test_hooks.h"

namespace vigilor::launcher {

TestHooks& CurrentTestHooks() {
  static TestHooks hooks;
  return hooks;
}

}  // namespace vigilor::launcher
