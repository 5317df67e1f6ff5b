// A small window base class: the object pointer travels in the creation parameters and is stored
// in the window's user data at WM_NCCREATE, so every later message reaches handleMessage().
#pragma once

#include <windows.h>

namespace tov {

class Window {
 public:
  // What a window is created with, by name; what is left out is zero or null.
  struct CreateArgs {
    const wchar_t* className = nullptr;
    const wchar_t* title = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    HWND parent = nullptr;
    int controlId = 0;  // a child window's identifier; a top-level window has no menu
    // Handed to handleMessage() through creationParameter() while WM_CREATE runs.
    void* parameter = nullptr;
  };

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
  bool create(const CreateArgs& args);
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
