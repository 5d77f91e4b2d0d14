// SPDX-License-Identifier: MIT
// Benchmark baseline: minimal-get.exe <https url> <ca pem file>
// The least a program can do to fetch a module: one libcurl GET of url into
// memory, with verification on against the CA certificates in the PEM file
// only, then exit. scripts/bench-module-transfer.sh compares the
// bootstrapper's fresh download with this. Prints the body size on success;
// exit code 0 on success, 1 when the transfer failed, 2 on bad usage.
#include <curl/curl.h>

#include <cstdio>
#include <string>

namespace {

size_t AppendBody(char* data, size_t size, size_t count, void* context) {
  static_cast<std::string*>(context)->append(data, size * count);
  return size * count;
}

// Handle and global state released on every path.
struct Curl {
  CURL* handle = nullptr;
  Curl() {
    if (curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK) handle = curl_easy_init();
  }
  ~Curl() {
    if (handle) curl_easy_cleanup(handle);
    curl_global_cleanup();
  }
  Curl(const Curl&) = delete;
  Curl& operator=(const Curl&) = delete;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: minimal-get <https url> <ca pem file>\n");
    return 2;
  }
  Curl curl;
  if (!curl.handle) {
    std::fprintf(stderr, "libcurl could not start\n");
    return 1;
  }
  std::string body;
  char error[CURL_ERROR_SIZE] = {};
  CURL* handle = curl.handle;
  curl_easy_setopt(handle, CURLOPT_URL, argv[1]);
  curl_easy_setopt(handle, CURLOPT_CAINFO, argv[2]);
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
  // Same as the bootstrapper: the test CA publishes no revocation list.
  curl_easy_setopt(handle, CURLOPT_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_NO_REVOKE));
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, AppendBody);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
  curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, error);
  const CURLcode result = curl_easy_perform(handle);
  long status = 0;
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
  if (result != CURLE_OK || status != 200) {
    std::fprintf(stderr, "GET failed: curl %d (%s), HTTP %ld\n", static_cast<int>(result), error, status);
    return 1;
  }
  std::printf("%zu bytes\n", body.size());
  return 0;
}
