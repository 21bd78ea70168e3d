#pragma once
// One move-only owner for every kind of handle: the close function is a
// template parameter, the invalid value too. Copying is deleted.

#include <objbase.h>
#include <windows.h>

#include <cstdint>
#include <utility>

namespace varnel::win32 {

// `InvalidBits` is the invalid value's bit pattern: 0 for most handles, -1
// for INVALID_HANDLE_VALUE (a pointer constant cannot be a template argument).
template <typename T, auto Close, std::intptr_t InvalidBits = 0>
class Unique {
  static T Invalid() noexcept { return reinterpret_cast<T>(InvalidBits); }

 public:
  Unique() noexcept = default;
  explicit Unique(T value) noexcept : value_(value) {}
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  Unique(Unique&& other) noexcept : value_(std::exchange(other.value_, Invalid())) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) reset(std::exchange(other.value_, Invalid()));
    return *this;
  }
  ~Unique() { reset(); }

  T get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != Invalid() && value_ != T{}; }
  T release() noexcept { return std::exchange(value_, Invalid()); }
  void reset() noexcept { reset(Invalid()); }
  void reset(T value) noexcept {
    T old = std::exchange(value_, value);
    if (old != Invalid() && old != T{}) Close(old);
  }
  // For out-parameters: frees what is held and hands out the slot.
  T* put() noexcept {
    reset();
    return &value_;
  }

 private:
  T value_ = Invalid();
};

inline void CloseHandleNoThrow(HANDLE h) noexcept { ::CloseHandle(h); }
inline void FindCloseNoThrow(HANDLE h) noexcept { ::FindClose(h); }
inline void RegCloseKeyNoThrow(HKEY k) noexcept { ::RegCloseKey(k); }
inline void DeleteObjectNoThrow(HGDIOBJ o) noexcept { ::DeleteObject(o); }
inline void DestroyWindowNoThrow(HWND w) noexcept { ::DestroyWindow(w); }
inline void CoTaskMemFreeNoThrow(void* p) noexcept { ::CoTaskMemFree(p); }
inline void DeleteDCNoThrow(HDC dc) noexcept { ::DeleteDC(dc); }
inline void DestroyIconNoThrow(HICON icon) noexcept { ::DestroyIcon(icon); }
inline void LocalFreeNoThrow(LPWSTR* block) noexcept { ::LocalFree(block); }

using UniqueHandle = Unique<HANDLE, CloseHandleNoThrow>;
// What CreateFileW returns: its failure value is INVALID_HANDLE_VALUE, not 0.
using UniqueFile = Unique<HANDLE, CloseHandleNoThrow, -1>;
using UniqueFind = Unique<HANDLE, FindCloseNoThrow, -1>;
using UniqueKey = Unique<HKEY, RegCloseKeyNoThrow>;
using UniqueGdi = Unique<HGDIOBJ, DeleteObjectNoThrow>;
using UniqueBitmap = Unique<HBITMAP, DeleteObjectNoThrow>;
using UniqueFont = Unique<HFONT, DeleteObjectNoThrow>;
using UniqueBrush = Unique<HBRUSH, DeleteObjectNoThrow>;
using UniqueWindow = Unique<HWND, DestroyWindowNoThrow>;
using UniqueMemDC = Unique<HDC, DeleteDCNoThrow>;
using UniqueIcon = Unique<HICON, DestroyIconNoThrow>;
// The argument block CommandLineToArgvW hands out.
using UniqueArgv = Unique<LPWSTR*, LocalFreeNoThrow>;

// A CoTaskMem-allocated wide string, as COM hands them out.
using UniqueCoTaskString = Unique<wchar_t*, CoTaskMemFreeNoThrow>;

// The DC of one WM_PAINT: BeginPaint here, EndPaint on every way out.
class UniquePaintDC {
 public:
  explicit UniquePaintDC(HWND window) noexcept : window_(window), dc_(::BeginPaint(window, &ps_)) {}
  UniquePaintDC(const UniquePaintDC&) = delete;
  UniquePaintDC& operator=(const UniquePaintDC&) = delete;
  ~UniquePaintDC() { ::EndPaint(window_, &ps_); }
  HDC get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// A window's (or, for nullptr, the screen's) DC: GetDC here, ReleaseDC on
// every way out.
class UniqueWindowDC {
 public:
  explicit UniqueWindowDC(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
  UniqueWindowDC(const UniqueWindowDC&) = delete;
  UniqueWindowDC& operator=(const UniqueWindowDC&) = delete;
  ~UniqueWindowDC() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  HDC get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// A GDI object selected into a DC for one scope; the one it replaced goes
// back on every way out. Declare it after the owner of the object, so that
// it is deselected before the object is deleted.
class UniqueSelectObject {
 public:
  UniqueSelectObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(::SelectObject(dc, object)) {}
  UniqueSelectObject(const UniqueSelectObject&) = delete;
  UniqueSelectObject& operator=(const UniqueSelectObject&) = delete;
  ~UniqueSelectObject() {
    if (old_) ::SelectObject(dc_, old_);
  }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// COM pointer: Release on every way out.
template <typename I>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) reset(std::exchange(other.p_, nullptr));
    return *this;
  }
  ~ComPtr() { reset(); }
  I* get() const noexcept { return p_; }
  I* operator->() const noexcept { return p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }
  void reset(I* p = nullptr) noexcept {
    I* old = std::exchange(p_, p);
    if (old) old->Release();
  }
  I** put() noexcept {
    reset();
    return &p_;
  }
  void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

 private:
  I* p_ = nullptr;
};

}  // namespace varnel::win32
