// SPDX-License-Identifier: MIT
#include "acquisition/launch_codes.h"

namespace vigilor::acquisition {

LoaderStatusAction MapLoaderStatus(std::int32_t status, bool allowNullClient) {
  using A = LoaderStatusAction;
  switch (status) {
    case LS_GamePathInvalid: return {A::Finish, VGL_PGLR_GameBinaryError};
    case LS_InternalFailure: return {A::Finish, VGL_PGLR_InternalError};
    case LS_ModuleStatus503: return {A::Finish, VGL_PGLR_ModuleStatus503};
    case LS_UndeployedDownloadFailed: return {A::Finish, VGL_PGLR_UndeployedBuildFailure};
    case LS_DnsFailure:
      return allowNullClient ? A{A::LaunchNullClient, VGL_PGLR_Success} : A{A::Finish, VGL_PGLR_DnsFailure};
    case LS_ConnectionFailure:
      return allowNullClient ? A{A::LaunchNullClient, VGL_PGLR_Success}
                             : A{A::Finish, VGL_PGLR_ConnectionFailure};
    case LS_ModuleFailure: return {A::Finish, VGL_PGLR_ModuleFailure};
    case LS_StartGame: return {A::StartGame, VGL_PGLR_None};
    case LS_ModuleStatus509: return {A::Finish, VGL_PGLR_ModuleStatus509};
    case LS_NullClientRequested: return {A::LaunchNullClient, VGL_PGLR_Success};
    case LS_ModuleLoadedInGame: return {A::ModuleLoaded, VGL_PGLR_Success};
    case LS_Success: return {A::Succeed, VGL_PGLR_Success};
    default: return {A::Finish, VGL_PGLR_None};
  }
}

}  // namespace vigilor::acquisition
