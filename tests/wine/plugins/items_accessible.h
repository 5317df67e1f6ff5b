// The accessible objects of window_fixture's items view, as the shell's items view answers
// WM_GETOBJECT with OBJID_CLIENT: the view is a list whose two items are children by number, in
// client rectangles kItemRects; across the band kGroupTop..kGroupBottom lies a group, a child
// object of its own; every other point of the view is the view itself. Each role asked is logged
// as "<index>.items ROLE <child> <role>" (hexadecimal).
#pragma once

#include <windows.h>
//
#include <oleacc.h>

#include "../harness/fixture_log.h"

namespace tov::test {

inline constexpr RECT kItemRects[] = {{10, 10, 110, 40}, {120, 10, 220, 40}};
inline constexpr int kGroupTop = 60, kGroupBottom = 120;

// Written out: MinGW's import library gives a thunk's address for IID_IAccessible.
inline constexpr GUID kAccessibleInterface = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

#define TOV_NOT_IMPLEMENTED(signature) \
  HRESULT STDMETHODCALLTYPE signature override { return E_NOTIMPL; }

// Lives as long as the program; only the view's window and whether it is the group differ.
class ItemsAccessible final : public IAccessible {
 public:
  ItemsAccessible(HWND view, int index, ItemsAccessible* group)
      : view_(view), index_(index), group_(group) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != kAccessibleInterface) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    *out = static_cast<IAccessible*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
    POINT point{x, y};
    ScreenToClient(view_, &point);
    RECT client{};
    GetClientRect(view_, &client);
    child->vt = VT_I4;
    child->lVal = CHILDID_SELF;
    if (!PtInRect(&client, point)) {
      child->vt = VT_EMPTY;
      return S_FALSE;
    }
    if (group_ == nullptr) return S_OK;  // inside the group: the group itself
    for (long item = 0; item < 2; ++item)
      if (PtInRect(&kItemRects[item], point)) child->lVal = item + 1;
    if (child->lVal == CHILDID_SELF && point.y >= kGroupTop && point.y < kGroupBottom) {
      child->vt = VT_DISPATCH;
      child->pdispVal = group_;
    }
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    role->vt = VT_I4;
    role->lVal = group_ == nullptr ? ROLE_SYSTEM_GROUPING
                 : child.lVal == 0 ? ROLE_SYSTEM_LIST
                                   : ROLE_SYSTEM_LISTITEM;
    log("%d.items ROLE %lX %lX", index_, child.lVal, role->lVal);
    return S_OK;
  }

  TOV_NOT_IMPLEMENTED(GetTypeInfoCount(UINT*))
  TOV_NOT_IMPLEMENTED(GetTypeInfo(UINT, LCID, ITypeInfo**))
  TOV_NOT_IMPLEMENTED(GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*))
  TOV_NOT_IMPLEMENTED(Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*))
  TOV_NOT_IMPLEMENTED(get_accParent(IDispatch**))
  TOV_NOT_IMPLEMENTED(get_accChildCount(long*))
  TOV_NOT_IMPLEMENTED(get_accChild(VARIANT, IDispatch**))
  TOV_NOT_IMPLEMENTED(get_accName(VARIANT, BSTR*))
  TOV_NOT_IMPLEMENTED(get_accValue(VARIANT, BSTR*))
  TOV_NOT_IMPLEMENTED(get_accDescription(VARIANT, BSTR*))
  TOV_NOT_IMPLEMENTED(get_accState(VARIANT, VARIANT*))
  TOV_NOT_IMPLEMENTED(get_accHelp(VARIANT, BSTR*))
  TOV_NOT_IMPLEMENTED(get_accHelpTopic(BSTR*, VARIANT, long*))
  TOV_NOT_IMPLEMENTED(get_accKeyboardShortcut(VARIANT, BSTR*))
  TOV_NOT_IMPLEMENTED(get_accFocus(VARIANT*))
  TOV_NOT_IMPLEMENTED(get_accSelection(VARIANT*))
  TOV_NOT_IMPLEMENTED(get_accDefaultAction(VARIANT, BSTR*))
  TOV_NOT_IMPLEMENTED(accSelect(long, VARIANT))
  TOV_NOT_IMPLEMENTED(accLocation(long*, long*, long*, long*, VARIANT))
  TOV_NOT_IMPLEMENTED(accNavigate(long, VARIANT, VARIANT*))
  TOV_NOT_IMPLEMENTED(accDoDefaultAction(VARIANT))
  TOV_NOT_IMPLEMENTED(put_accName(VARIANT, BSTR))
  TOV_NOT_IMPLEMENTED(put_accValue(VARIANT, BSTR))

 private:
  HWND view_;
  int index_;
  ItemsAccessible* group_;  // null: this is the group
};

#undef TOV_NOT_IMPLEMENTED

}  // namespace tov::test
