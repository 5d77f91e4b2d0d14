// SPDX-License-Identifier: MIT
#include "launcher/dependencies_win.h"

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_ttf.h>

#include "foundation/logger.h"
#include "launcher/process_switches.h"

namespace vigilor::launcher {

bool GraphicsLibraries::Initialize() {
  if (SDL_Init(SDL_INIT_VIDEO) < 0) {
    Log(LogLevel::Error, "SDL could not initialize! SDL Error: '%s'.", SDL_GetError());
    return false;
  }
  if ((IMG_Init(IMG_INIT_PNG) & IMG_INIT_PNG) == 0) {
    Log(LogLevel::Error, "SDL_image could not initialize! SDL_image Error: '%s'.", SDL_GetError());
    return false;
  }
  if (TTF_Init() == -1) {
    Log(LogLevel::Error, "[Initialize] SDL_ttf could not initialize! SDL_ttf Error: '%s'.", SDL_GetError());
    return false;
  }
  if (SDL_SetHint("SDL_RENDER_SCALE_QUALITY", "1") == SDL_FALSE) {
    Log(LogLevel::Warning, "Failed to set linear texture filtering.");
  }
  sdl_ = image_ = ttf_ = true;
  return true;
}

void GraphicsLibraries::Shutdown() {
  if (ttf_) TTF_Quit();
  if (image_) IMG_Quit();
  if (sdl_) SDL_Quit();
  sdl_ = image_ = ttf_ = false;
}

void ShowLaunchError(const char* text) {
  if (CurrentSwitches().immediateExitOnError) return;
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Vigilor Launch Error", text, nullptr);
}

}  // namespace vigilor::launcher
