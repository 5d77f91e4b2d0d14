// SPDX-License-Identifier: MIT
#include "acquisition/module_url.h"

#include <gtest/gtest.h>

namespace vigilor::acquisition {
namespace {

TEST(ModuleUrl, TemplatesPointAtTheirEnvironmentsHost) {
  EXPECT_EQ(ModuleUrlTemplate(false), "https://modules.vigilor.gg/modules/{{productid}}/{{deploymentid}}/{{system}}");
  EXPECT_EQ(ModuleUrlTemplate(true),
            "https://modules-dev.vigilor.gg/modules/{{productid}}/{{deploymentid}}/{{system}}");
  EXPECT_TRUE(IsAllowedModuleUrl(ModuleUrlTemplate(false), false));
  EXPECT_TRUE(IsAllowedModuleUrl(ModuleUrlTemplate(true), true));
}

TEST(ModuleUrl, OnlyTheCurrentEnvironmentsHostPasses) {
  struct Case {
    const char* desc;
    const char* url;
    bool gameDev;
    bool allowed;
  } cases[] = {
      {"production override", "https://modules.vigilor.gg/builds/abc/win64", false, true},
      {"gamedev override", "https://modules-dev.vigilor.gg/builds/abc/win64", true, true},
      {"gamedev host in production", "https://modules-dev.vigilor.gg/builds/abc/win64", false, false},
      {"production host in gamedev", "https://modules.vigilor.gg/builds/abc/win64", true, false},
      {"other host", "https://example.com/modules/a/b/win64", false, false},
      {"host as a prefix of another host", "https://modules.vigilor.gg.example.com/x", false, false},
      {"host with user info", "https://modules.vigilor.gg@example.com/x", false, false},
      {"host with a port", "https://modules.vigilor.gg:8443/x", false, false},
      {"plain http", "http://modules.vigilor.gg/x", false, false},
      {"upper-case host", "https://MODULES.vigilor.gg/x", false, false},
      {"no path separator", "https://modules.vigilor.gg", false, false},
      {"empty", "", false, false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsAllowedModuleUrl(c.url, c.gameDev), c.allowed) << c.desc;
}

TEST(ExpandModuleUrl, ReplacesEveryOccurrencePlaceholderByPlaceholder) {
  struct Case {
    const char* desc;
    const char* url;
    const char* product;
    const char* deployment;
    const char* system;
    const char* expected;
  } cases[] = {
      {"template", "https://h/modules/{{productid}}/{{deploymentid}}/{{system}}", "p1", "d1", "win64",
       "https://h/modules/p1/d1/win64"},
      {"system twice", "https://h/{{system}}/x/{{system}}", "p", "d", "linux64", "https://h/linux64/x/linux64"},
      // Product first: a product id that spells a later placeholder is expanded
      // by that later step, as the order says.
      {"later placeholder inside an earlier value", "https://h/{{productid}}", "{{system}}", "d", "win64",
       "https://h/win64"},
      // Deployment after product: a deployment id naming the product
      // placeholder stays as it is.
      {"earlier placeholder inside a later value", "https://h/{{deploymentid}}", "p", "{{productid}}", "win64",
       "https://h/{{productid}}"},
      {"case-sensitive", "https://h/{{SYSTEM}}/{{ProductId}}", "p", "d", "win64", "https://h/{{SYSTEM}}/{{ProductId}}"},
      {"values inserted unescaped", "https://h/{{productid}}", "a b/c?", "d", "s", "https://h/a b/c?"},
      {"no placeholders", "https://h/fixed", "p", "d", "s", "https://h/fixed"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExpandModuleUrl(c.url, c.product, c.deployment, c.system), c.expected) << c.desc;
  }
}

TEST(ClassifyTransferFailure, EachResultCodeHasItsTextAndStatus) {
  struct Case {
    const char* desc;
    int curlResult;
    long httpCode;
    bool serviceDisabled;
    bool cancelled;
    LoaderStatus status;
    std::string_view key;
    std::vector<std::string> arguments;
    bool tryCache;
  } cases[] = {
      {"http failure", 0, 404, false, false, LS_ConnectionFailure, "launcher_error.error_http_response",
       {"404", "0"}, true},
      {"304 without cache", 0, 304, false, false, LS_ConnectionFailure, "launcher_error.error_http_response",
       {"304", "0"}, true},
      {"service disabled", 0, 200, true, false, LS_ConnectionFailure, "launcher_error.error_http_response",
       {"200", "0"}, false},
      {"no status", 0, 0, false, false, LS_ConnectionFailure, "launcher_error.error_http_response", {"0", "0"}, true},
      {"proxy not resolved", 5, 0, false, false, LS_DnsFailure, "launcher_error.error_dns_resolve_failed", {}, true},
      {"host not resolved", 6, 0, false, false, LS_DnsFailure, "launcher_error.error_dns", {}, true},
      {"cancelled", 42, 0, false, true, LS_ConnectionFailure, "launcher_error.error_cancelled", {}, false},
      {"connect failed", 7, 0, false, false, LS_ConnectionFailure, "launcher_error.error_dns_connection_failed",
       {"7"}, true},
      {"timeout", 28, 0, false, false, LS_ConnectionFailure, "launcher_error.error_dns_connection_failed", {"28"},
       true},
      {"negative code keeps its sign", -3, 0, false, false, LS_ConnectionFailure,
       "launcher_error.error_dns_connection_failed", {"-3"}, true},
  };
  for (const Case& c : cases) {
    const TransferFailure f = ClassifyTransferFailure(c.curlResult, c.httpCode, c.serviceDisabled);
    EXPECT_EQ(f.cancelled, c.cancelled) << c.desc;
    if (!c.cancelled) EXPECT_EQ(f.status, c.status) << c.desc;
    EXPECT_EQ(f.text.key, c.key) << c.desc;
    EXPECT_EQ(f.arguments, c.arguments) << c.desc;
    EXPECT_EQ(f.tryCache, c.tryCache) << c.desc;
  }
}

}  // namespace
}  // namespace vigilor::acquisition
