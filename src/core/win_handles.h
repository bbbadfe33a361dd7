#pragma once
// RAII owners for Win32 handles, registry keys, hooks and COM pointers.
#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

namespace kv {

inline const wchar_t* as_wide(const std::u16string& s) {
  return reinterpret_cast<const wchar_t*>(s.c_str());
}
inline wchar_t* as_wide(std::u16string& s) { return reinterpret_cast<wchar_t*>(s.data()); }
inline std::u16string from_wide(const wchar_t* s) {
  return s ? std::u16string(reinterpret_cast<const char16_t*>(s)) : std::u16string();
}
inline std::u16string from_wide(const wchar_t* s, std::size_t n) {
  return std::u16string(reinterpret_cast<const char16_t*>(s), n);
}

template <class T, class Traits>
class UniqueResource {
 public:
  UniqueResource() = default;
  explicit UniqueResource(T value) : value_(value) {}
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ~UniqueResource() { reset(); }

  T get() const { return value_; }
  T* put() {
    reset();
    return &value_;
  }
  explicit operator bool() const { return Traits::valid(value_); }
  T release() { return std::exchange(value_, Traits::invalid()); }
  void reset(T value = Traits::invalid()) {
    if (Traits::valid(value_)) Traits::close(value_);
    value_ = value;
  }

 private:
  T value_ = Traits::invalid();
};

struct HandleTraits {
  static HANDLE invalid() { return nullptr; }
  static bool valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) { CloseHandle(h); }
};
struct FileHandleTraits : HandleTraits {
  static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
};
struct FindHandleTraits : FileHandleTraits {
  static void close(HANDLE h) { FindClose(h); }
};
struct RegKeyTraits {
  static HKEY invalid() { return nullptr; }
  static bool valid(HKEY k) { return k != nullptr; }
  static void close(HKEY k) { RegCloseKey(k); }
};
struct HookTraits {
  static HHOOK invalid() { return nullptr; }
  static bool valid(HHOOK h) { return h != nullptr; }
  static void close(HHOOK h) { UnhookWindowsHookEx(h); }
};
struct ModuleTraits {
  static HMODULE invalid() { return nullptr; }
  static bool valid(HMODULE m) { return m != nullptr; }
  static void close(HMODULE m) { FreeLibrary(m); }
};

template <class T>
struct GdiObjectTraits {
  static T invalid() { return nullptr; }
  static bool valid(T o) { return o != nullptr; }
  static void close(T o) { DeleteObject(o); }
};
struct IconTraits {
  static HICON invalid() { return nullptr; }
  static bool valid(HICON i) { return i != nullptr; }
  static void close(HICON i) { DestroyIcon(i); }
};
struct DcTraits {
  static HDC invalid() { return nullptr; }
  static bool valid(HDC dc) { return dc != nullptr; }
  static void close(HDC dc) { DeleteDC(dc); }
};

using UniqueHandle = UniqueResource<HANDLE, HandleTraits>;
using UniqueFile = UniqueResource<HANDLE, FileHandleTraits>;
using UniqueFind = UniqueResource<HANDLE, FindHandleTraits>;
using UniqueRegKey = UniqueResource<HKEY, RegKeyTraits>;
using UniqueHook = UniqueResource<HHOOK, HookTraits>;
using UniqueModule = UniqueResource<HMODULE, ModuleTraits>;
using UniqueBitmap = UniqueResource<HBITMAP, GdiObjectTraits<HBITMAP>>;
using UniqueBrush = UniqueResource<HBRUSH, GdiObjectTraits<HBRUSH>>;
using UniqueFont = UniqueResource<HFONT, GdiObjectTraits<HFONT>>;
using UniqueIcon = UniqueResource<HICON, IconTraits>;
using UniqueDc = UniqueResource<HDC, DcTraits>;  // a memory DC (CreateCompatibleDC)

// A window's DC, released with the window it came from.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// An object selected into a DC until the end of the scope.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  ~SelectedObject() { SelectObject(dc_, previous_); }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A COM interface pointer that releases its reference.
template <class I>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { reset(); }
  I* get() const { return p_; }
  I* operator->() const { return p_; }
  I** put() {
    reset();
    return &p_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }
  explicit operator bool() const { return p_ != nullptr; }
  void reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }

 private:
  I* p_ = nullptr;
};

// The module file name of a module (the executable for nullptr).
std::u16string module_file_name(HMODULE module = nullptr);

}  // namespace kv
