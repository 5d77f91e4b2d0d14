// SPDX-License-Identifier: MIT
// SDL2, SDL2_image and SDL2_ttf start-up and shutdown. Main thread only.
#pragma once

namespace vigilor::launcher {

class GraphicsLibraries {
 public:
  // Starts the three libraries. A failure leaves whatever started as it is
  // and logs the library's error; the flags are set only when all three started.
  [[nodiscard]] bool Initialize();
  // Shuts down the libraries whose flags are set (TTF, IMG, then SDL).
  void Shutdown();

 private:
  bool sdl_ = false;
  bool image_ = false;
  bool ttf_ = false;
};

// The error message box, titled "Vigilor Launch Error", with no parent window.
// Shown only when the immediate-exit switch is off.
void ShowLaunchError(const char* text);

}  // namespace vigilor::launcher
