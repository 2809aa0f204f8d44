// Move-only owners of GDI objects and icons: one owner per handle, released exactly once.
#pragma once

#include <windows.h>

#include <utility>

namespace vornelle {

template <typename Handle, auto Close>
class UniqueHandle {
 public:
  UniqueHandle() noexcept = default;
  explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  Handle get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != nullptr; }
  Handle release() noexcept { return std::exchange(handle_, nullptr); }
  void reset(Handle handle = nullptr) noexcept {
    if (Handle old = std::exchange(handle_, handle); old != nullptr) Close(old);
  }

 private:
  Handle handle_ = nullptr;
};

namespace detail {
inline void DeleteBrush(HBRUSH brush) noexcept {
  ::DeleteObject(brush);
}
inline void DestroyIconHandle(HICON icon) noexcept {
  ::DestroyIcon(icon);
}
}  // namespace detail

using UniqueBrush = UniqueHandle<HBRUSH, detail::DeleteBrush>;
using UniqueIcon = UniqueHandle<HICON, detail::DestroyIconHandle>;

}  // namespace vornelle
