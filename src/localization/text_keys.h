// SPDX-License-Identifier: MIT
// Every player-visible text the program looks up: its catalogue key
// ("section.key") and its built-in English text. This is the only place the
// English texts live; callers pass these constants to
// LocalizationCatalogue::Lookup instead of spelling keys and texts out.
#pragma once

#include <span>
#include <string_view>

namespace vigilor::localization {

struct LocalizedText {
  std::string_view key;
  std::string_view englishDefault;
};

namespace texts {

// Window status texts and buttons.
inline constexpr LocalizedText kLoading{"launcher.loading", "LOADING"};
inline constexpr LocalizedText kInitializing{"launcher.initializing", "INITIALIZING"};
inline constexpr LocalizedText kWaitingForGame{"launcher.success_waiting_for_game", "WAITING FOR GAME"};
inline constexpr LocalizedText kLaunchError{"launcher.error_launch", "Launch Error"};
// Same key as kLaunchError: the title of results 202 and 204 when the file has no text.
inline constexpr LocalizedText kNetworkError{"launcher.error_launch", "Network error"};
inline constexpr LocalizedText kInstallError{"launcher.error_install", "Install Error"};
inline constexpr LocalizedText kExitButton{"launcher.btn_exit", "Exit"};

// Settings file errors: {0} the settings file name, {1} the field.
inline constexpr LocalizedText kNoSettingsFile{"launcher.error_no_settings_file", "{0} not found"};
inline constexpr LocalizedText kMissingRequiredField{"launcher.error_missing_required_field",
                                                     "{0} is missing a required field ({1})"};
inline constexpr LocalizedText kInvalidOrxIdentifier{"launcher.error_invalid_orx_identifier",
                                                     "{0} contains an invalid ORX identifier: ({1})"};

// Game launcher and module loader messages.
inline constexpr LocalizedText kCreateThread{"launcher_error.create_thread",
                                             "Failed at creating the background thread!"};
inline constexpr LocalizedText kEmptyExecutableField{"launcher_error.empty_executable_field",
                                                     "The path to the game binary was not provided."};
inline constexpr LocalizedText kGameBinaryIsDirectory{"launcher_error.error_game_binary_is_directory",
                                                      "The target executable is a directory!"};
inline constexpr LocalizedText kGameBinaryNotFound{"launcher_error.error_game_binary_not_found",
                                                   "Could not locate the game binary: '{0}'"};
inline constexpr LocalizedText kWorkingDirectory{"launcher_error.working_directory",
                                                 "Working directory does not exist."};
inline constexpr LocalizedText kMissingBinaryPath{"launcher_error.error_missing_binary_path",
                                                  "Missing game executable path."};
inline constexpr LocalizedText kMissingDirectoryPath{"launcher_error.error_missing_directory_path",
                                                     "Missing working directory path."};
inline constexpr LocalizedText kInvalidExecutablePath{"launcher_error.error_invalid_executable_path",
                                                      "Invalid game executable path: "};
inline constexpr LocalizedText kSuccessLoaded{"launcher_error.success_loaded", "Vigilor successfully loaded in-game"};
inline constexpr LocalizedText kConnectionFailed{"launcher_error.error_connection_failed", "Connection failed: "};
inline constexpr LocalizedText kDisallowedCdnPath{"launcher_error.error_disallowed_cdn_path",
                                                  "Unexpected error. (Incorrect CDN url)"};
inline constexpr LocalizedText kHttpResponse{"launcher_error.error_http_response",
                                             "HTTP Response Code: {0} Curl Code: {1}"};
inline constexpr LocalizedText kDnsResolveFailed{"launcher_error.error_dns_resolve_failed",
                                                 "DNS resolve to proxy failed!"};
inline constexpr LocalizedText kDns{"launcher_error.error_dns",
                                    "DNS resolve to the Content Distribution Network failed!"};
inline constexpr LocalizedText kCancelled{"launcher_error.error_cancelled", "Operation cancelled by user"};
inline constexpr LocalizedText kDnsConnectionFailed{
    "launcher_error.error_dns_connection_failed",
    "Connection to the Content Distribution Network failed! Curl Code: {0}!"};
inline constexpr LocalizedText kCertificateValidation{"launcher_error.error_certificate_validation",
                                                      "Error validating Vigilor code signing certificate"};
inline constexpr LocalizedText kModuleLoading{"launcher_error.error_module_loading",
                                              "Failed to load the anti-cheat module."};
inline constexpr LocalizedText kInternal{"launcher_error.error_internal", "Internal error!"};
inline constexpr LocalizedText kModuleInitialize{"launcher_error.error_module_initialize",
                                                 "Module initialization failed with {0}"};
inline constexpr LocalizedText kGameBinaryNotFoundWine{"launcher_error.error_game_binary_not_found_wine",
                                                       "Failed to locate the game binary (Wine)"};
inline constexpr LocalizedText kCreateProcess{"launcher_error.error_create_process",
                                              "Failed to create the game process: {0}"};

// System font file names for scripts the built-in fonts cannot draw. Empty
// by default: a file names all three or none.
inline constexpr LocalizedText kFontRegular{"windows_fonts.regular", ""};
inline constexpr LocalizedText kFontBold{"windows_fonts.bold", ""};
inline constexpr LocalizedText kFontLight{"windows_fonts.light", ""};

}  // namespace texts

// Every entry above, in the order written; kNetworkError shares its key with
// kLaunchError, so a key may appear twice.
std::span<const LocalizedText> AllLocalizedTexts();

}  // namespace vigilor::localization
