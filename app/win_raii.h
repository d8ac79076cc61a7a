// Owners for Win32 handles: each handle is released exactly once, on every path.
#pragma once

#include <windows.h>

#include <utility>

namespace velmora {

template <class H, auto Release>
class Owned {
 public:
  Owned() = default;
  explicit Owned(H h) : h_(h) {}
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& o) noexcept : h_(std::exchange(o.h_, H{})) {}
  Owned& operator=(Owned&& o) noexcept {
    if (this != &o) Reset(std::exchange(o.h_, H{}));
    return *this;
  }
  ~Owned() { Reset(); }

  H Get() const { return h_; }
  explicit operator bool() const { return h_ != H{}; }
  void Reset(H h = H{}) {
    if (h_ != H{} && h_ != INVALID_HANDLE_VALUE) Release(h_);
    h_ = h;
  }

 private:
  H h_{};
};

inline void ReleaseFontObject(HFONT h) {
  DeleteObject(h);
}
inline void ReleaseBrushObject(HBRUSH h) {
  DeleteObject(h);
}
inline void CloseKernel(HANDLE h) {
  CloseHandle(h);
}
inline void DestroyWin(HWND h) {
  DestroyWindow(h);
}

using OwnedFont = Owned<HFONT, &ReleaseFontObject>;
using OwnedBrush = Owned<HBRUSH, &ReleaseBrushObject>;
using OwnedHandle = Owned<HANDLE, &CloseKernel>;
using OwnedWindow = Owned<HWND, &DestroyWin>;

}  // namespace velmora
