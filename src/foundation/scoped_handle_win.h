// SPDX-License-Identifier: MIT
// Move-only owner of one Windows handle, closed by its traits:
//   struct Traits {
//     using Handle = ...;
//     static Handle Invalid();
//     static bool IsValid(Handle);
//     static void Close(Handle);
//   };
// Closing keeps the thread's last error, so a caller can read GetLastError()
// after an early return that destroys handles.
#pragma once

#include <windows.h>

#include <utility>

namespace vigilor {

template <typename Traits>
class ScopedHandle {
 public:
  using Handle = typename Traits::Handle;

  ScopedHandle() noexcept : handle_(Traits::Invalid()) {}
  explicit ScopedHandle(Handle handle) noexcept : handle_(handle) {}
  ~ScopedHandle() { reset(); }

  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  bool valid() const noexcept { return Traits::IsValid(handle_); }
  explicit operator bool() const noexcept { return valid(); }
  Handle get() const noexcept { return handle_; }

  // Closes the owned handle (if any) and takes ownership of handle.
  void reset(Handle handle = Traits::Invalid()) noexcept {
    if (Traits::IsValid(handle_)) {
      const DWORD lastError = GetLastError();
      Traits::Close(handle_);
      SetLastError(lastError);
    }
    handle_ = handle;
  }

  // Hands ownership to the caller, who must close the handle.
  [[nodiscard]] Handle release() noexcept { return std::exchange(handle_, Traits::Invalid()); }

 private:
  Handle handle_;
};

// Kernel objects closed with CloseHandle: files, processes, threads, events.
// Both null and INVALID_HANDLE_VALUE mean "none", since creation functions
// disagree on which one reports failure.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return nullptr; }
  static bool IsValid(Handle handle) noexcept { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) noexcept { CloseHandle(handle); }
};

// Directory enumerations from FindFirstFileW, closed with FindClose.
struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle handle) noexcept { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) noexcept { FindClose(handle); }
};

// Libraries from LoadLibrary*, released with FreeLibrary.
struct LibraryHandleTraits {
  using Handle = HMODULE;
  static Handle Invalid() noexcept { return nullptr; }
  static bool IsValid(Handle handle) noexcept { return handle != nullptr; }
  static void Close(Handle handle) noexcept { FreeLibrary(handle); }
};

using ScopedKernelHandle = ScopedHandle<KernelHandleTraits>;
using ScopedFindHandle = ScopedHandle<FindHandleTraits>;
using ScopedLibrary = ScopedHandle<LibraryHandleTraits>;

}  // namespace vigilor
