#include "window.h"

namespace tov {

Window::~Window() {
  if (window_ != nullptr) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

bool Window::registerClass(WNDCLASSEXW windowClass) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExW(windowClass.hInstance, windowClass.lpszClassName, &existing)) return true;
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = &Window::dispatch;
  return RegisterClassExW(&windowClass) != 0;
}

bool Window::registerSuperclass(const wchar_t* baseClassName, const wchar_t* className) {
  WNDCLASSEXW base{};
  base.cbSize = sizeof(base);
  if (!GetClassInfoExW(nullptr, baseClassName, &base)) return false;
  baseProcedure_ = base.lpfnWndProc;
  WNDCLASSEXW windowClass = base;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = className;
  windowClass.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
  return registerClass(windowClass);
}

bool Window::create(const CreateArgs& args) {
  creationParameter_ = args.parameter;
  HMENU menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.controlId));
  HWND created =
      CreateWindowExW(args.exStyle, args.className, args.title, args.style, args.x, args.y,
                      args.width, args.height, args.parent, menu, GetModuleHandleW(nullptr), this);
  creationParameter_ = nullptr;
  if (created == nullptr) window_ = nullptr;
  return created != nullptr;
}

LRESULT Window::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return defaultProcedure(message, wParam, lParam);
}

LRESULT CALLBACK Window::dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* self = nullptr;
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    self = static_cast<Window*>(create->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  }
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  LRESULT result = self->handleMessage(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->window_ = nullptr;
  }
  return result;
}

}  // namespace tov
