// SPDX-License-Identifier: MIT
// Code sets shared by the launcher, the module loader and the module. They
// cross threads and the module boundary as plain integers.
#pragma once

#include <cstdint>

// The launch result handed to the launcher; 0 and 301 count as success.
enum VGL_ProtectedGameLaunchResult : std::uint32_t {
  VGL_PGLR_None = 0,
  VGL_PGLR_InvalidParameters = 201,
  VGL_PGLR_DnsFailure = 202,
  VGL_PGLR_ConnectionFailure = 204,
  VGL_PGLR_UndeployedBuildFailure = 205,
  VGL_PGLR_ModuleFailure = 206,
  VGL_PGLR_GameBinaryError = 207,
  VGL_PGLR_InternalError = 208,
  VGL_PGLR_ModuleStatus503 = 209,
  VGL_PGLR_ModuleStatus509 = 210,
  VGL_PGLR_Success = 301,
};

// The progress callback's answer; any value other than 1 continues.
enum VGL_ModuleDownloadProgressResult : std::int32_t {
  VGL_MDPR_Continue = 0,
  VGL_MDPR_Cancel = 1,
};

namespace vigilor::acquisition {

// How the loader and the module report to the game launcher.
enum LoaderStatus : std::int32_t {
  LS_GamePathInvalid = 501,
  LS_InternalFailure = 502,
  LS_ModuleStatus503 = 503,
  LS_UndeployedDownloadFailed = 504,
  LS_DnsFailure = 505,
  LS_ConnectionFailure = 506,
  LS_ModuleFailure = 507,
  LS_StartGame = 508,
  LS_ModuleStatus509 = 509,
  LS_NullClientRequested = 601,
  LS_ModuleLoadedInGame = 1002,
  LS_Success = 1003,
};

// What the game launcher does with one loader status.
struct LoaderStatusAction {
  enum Kind {
    Finish,            // report `result` with the loader's message
    LaunchNullClient,  // start the game without the module, then report 301
    StartGame,         // the module asks for the game process; it reports later
    ModuleLoaded,      // take the game process, keep the module for the cache, report 301
    Succeed,           // report 301 with the success text
  } kind;
  VGL_ProtectedGameLaunchResult result;
};

// The whole status table. allowNullClient is the settings' allow_null_client.
LoaderStatusAction MapLoaderStatus(std::int32_t status, bool allowNullClient);

}  // namespace vigilor::acquisition
