// A small window base class: the object pointer travels in the creation parameters and is stored
// in the window's user data at WM_NCCREATE, so every later message reaches handleMessage().
#pragma once

#include <windows.h>

namespace tov {

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND handle() const { return window_; }

 protected:
  // Registers the class on first use (class procedure: this base's dispatcher).
  static bool registerClass(WNDCLASSEXW windowClass);
  // Registers `className` on first use as a superclass of the system class `baseClassName`: the
  // same styles and window extra bytes, this base's dispatcher in front of the system's window
  // procedure, which becomes this object's default procedure. False when either step fails.
  bool registerSuperclass(const wchar_t* baseClassName, const wchar_t* className);
  bool create(const wchar_t* className, DWORD exStyle, const wchar_t* title, DWORD style, int x,
              int y, int width, int height, HWND parent, HMENU menu, void* parameter);
  // The parameter given to create(), available while WM_CREATE runs.
  void* creationParameter() const { return creationParameter_; }

  virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT defaultProcedure(UINT message, WPARAM wParam, LPARAM lParam) {
    if (baseProcedure_ != nullptr) {
      return CallWindowProcW(baseProcedure_, window_, message, wParam, lParam);
    }
    return DefWindowProcW(window_, message, wParam, lParam);
  }

 private:
  static LRESULT CALLBACK dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
  void* creationParameter_ = nullptr;
  WNDPROC baseProcedure_ = nullptr;
};

}  // namespace tov
