// Small owners of what Windows hands out and wants back: each gives its handle back when it goes
// out of scope, so that no early return can forget it. None is copied, so one thing has one
// owner; those a caller may hand on also move. Nothing here throws or allocates: the plug-ins are
// built without exceptions and their hooks allocate nothing, and TOV.exe uses the same types.
// The COM ones bring ole32 and oleaut32 into the imports only of a program that uses them.
//
// A null handle is no handle: the owners start out empty and give nothing back then, which is
// also what the system's functions return when they fail, so a result can be taken in unchecked
// and tested afterwards.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdlib>
#include <utility>

namespace tov {

// The common form, for handles given back by one call of their own (Traits::giveBack).
template <class Traits>
class Scoped {
 public:
  using Handle = typename Traits::Handle;

  constexpr Scoped() = default;
  explicit Scoped(Handle handle) noexcept : handle_(handle) {}
  ~Scoped() { reset(); }
  Scoped(Scoped&& other) noexcept : handle_(other.release()) {}
  Scoped& operator=(Scoped&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;

  Handle get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != nullptr; }
  // Gives the held handle back and takes `handle` instead.
  void reset(Handle handle = nullptr) noexcept {
    if (handle_ != nullptr) Traits::giveBack(handle_);
    handle_ = handle;
  }
  // Lets go of the handle without giving it back: the caller owns it now.
  Handle release() noexcept { return std::exchange(handle_, nullptr); }

 private:
  Handle handle_ = nullptr;
};

struct KernelHandleTraits {
  using Handle = HANDLE;
  static void giveBack(HANDLE handle) { CloseHandle(handle); }
};
struct ModuleTraits {
  using Handle = HMODULE;
  static void giveBack(HMODULE module) { FreeLibrary(module); }
};
template <class Object>
struct GdiObjectTraits {
  using Handle = Object;
  static void giveBack(Object object) { DeleteObject(object); }
};

// A kernel object: an event, a thread, a process, a token, a mutex. (Handles that fail as
// INVALID_HANDLE_VALUE, files among them, are not held here.)
using ScopedHandle = Scoped<KernelHandleTraits>;
// A reference to a loaded library.
using ScopedModule = Scoped<ModuleTraits>;
// A GDI object this program created: a font, a region, a brush.
template <class Object>
using ScopedGdiObject = Scoped<GdiObjectTraits<Object>>;
using ScopedFont = ScopedGdiObject<HFONT>;
using ScopedRegion = ScopedGdiObject<HRGN>;

// The device context of a window (of the whole screen for null), released to that window.
class ScopedWindowDc {
 public:
  explicit ScopedWindowDc(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
  ~ScopedWindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  ScopedWindowDc(const ScopedWindowDc&) = delete;
  ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;

  HDC get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// An object selected into a device context, and the one it replaced put back at the end, before
// either is given back. Selecting nothing (a null object, or into a null context) changes
// nothing.
class ScopedSelection {
 public:
  ScopedSelection(HDC dc, HGDIOBJ object) noexcept
      : dc_(dc),
        previous_(dc != nullptr && object != nullptr ? SelectObject(dc, object) : nullptr) {}
  ~ScopedSelection() {
    if (previous_ != nullptr) SelectObject(dc_, previous_);
  }
  ScopedSelection(const ScopedSelection&) = delete;
  ScopedSelection& operator=(const ScopedSelection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A block from malloc, for a count known only at run time, in code that must not throw.
template <class Element>
class ScopedMemory {
 public:
  explicit ScopedMemory(std::size_t count) noexcept
      : elements_(static_cast<Element*>(std::malloc(count * sizeof(Element)))) {}
  ~ScopedMemory() { std::free(elements_); }
  ScopedMemory(ScopedMemory&& other) noexcept
      : elements_(std::exchange(other.elements_, nullptr)) {}
  ScopedMemory& operator=(ScopedMemory&& other) noexcept {
    if (this != &other) {
      std::free(elements_);
      elements_ = std::exchange(other.elements_, nullptr);
    }
    return *this;
  }
  ScopedMemory(const ScopedMemory&) = delete;
  ScopedMemory& operator=(const ScopedMemory&) = delete;

  // Null when the memory was refused.
  Element* get() const noexcept { return elements_; }
  explicit operator bool() const noexcept { return elements_ != nullptr; }

 private:
  Element* elements_;
};

// One reference to a COM interface, released at the end. out() and typedOut() hand its place to a
// function that writes a new reference there (the one held before is released first).
template <class Interface>
class ComPointer {
 public:
  constexpr ComPointer() = default;
  ~ComPointer() { reset(); }
  ComPointer(ComPointer&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPointer& operator=(ComPointer&& other) noexcept {
    if (this != &other) {
      reset();
      pointer_ = std::exchange(other.pointer_, nullptr);
    }
    return *this;
  }
  ComPointer(const ComPointer&) = delete;
  ComPointer& operator=(const ComPointer&) = delete;

  Interface* get() const noexcept { return pointer_; }
  Interface* operator->() const noexcept { return pointer_; }
  explicit operator bool() const noexcept { return pointer_ != nullptr; }
  void** out() noexcept {
    reset();
    return reinterpret_cast<void**>(&pointer_);
  }
  Interface** typedOut() noexcept {
    reset();
    return &pointer_;
  }
  void reset() noexcept {
    if (pointer_ != nullptr) std::exchange(pointer_, nullptr)->Release();
  }

 private:
  Interface* pointer_ = nullptr;
};

// A string the COM allocator made for us (a BSTR), freed at the end.
class ComString {
 public:
  ComString() = default;
  ~ComString() { SysFreeString(text_); }
  ComString(const ComString&) = delete;
  ComString& operator=(const ComString&) = delete;

  BSTR get() const noexcept { return text_; }
  BSTR* out() noexcept {
    SysFreeString(std::exchange(text_, nullptr));
    return &text_;
  }

 private:
  BSTR text_ = nullptr;
};

// The calling thread inside a COM apartment, single-threaded unless told otherwise, left again at
// the end when entering it succeeded (a thread already in one enters it once more and must leave
// it as often).
class ComApartment {
 public:
  explicit ComApartment(DWORD model = COINIT_APARTMENTTHREADED) noexcept
      : entered_(SUCCEEDED(CoInitializeEx(nullptr, model))) {}
  ~ComApartment() {
    if (entered_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  bool entered() const noexcept { return entered_; }

 private:
  bool entered_;
};

}  // namespace tov
