// SPDX-License-Identifier: MIT
#include "localization/text_keys.h"

namespace vigilor::localization {

std::span<const LocalizedText> AllLocalizedTexts() {
  using namespace texts;
  static constexpr LocalizedText kAll[] = {
      kLoading,           kInitializing,         kWaitingForGame,        kLaunchError,
      kNetworkError,      kInstallError,         kExitButton,            kNoSettingsFile,
      kMissingRequiredField, kInvalidOrxIdentifier, kCreateThread,      kEmptyExecutableField,
      kGameBinaryIsDirectory, kGameBinaryNotFound, kWorkingDirectory,    kMissingBinaryPath,
      kMissingDirectoryPath, kInvalidExecutablePath, kSuccessLoaded,     kConnectionFailed,
      kDisallowedCdnPath, kHttpResponse,         kDnsResolveFailed,      kDns,
      kCancelled,         kDnsConnectionFailed,  kCertificateValidation, kModuleLoading,
      kInternal,          kModuleInitialize,     kGameBinaryNotFoundWine, kCreateProcess,
      kFontRegular,       kFontBold,             kFontLight,
  };
  return kAll;
}

}  // namespace vigilor::localization
