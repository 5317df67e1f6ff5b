// Arrowin: while the modifier key is held, E D A F and K J H L type Up, Down, Left and Right in
// whatever program has the focus. The letter's event is consumed and an arrow event injected in
// its place, with Shift when a Shift key is held.
#include <no_wait.h>
#include <plugin_frame.h>
#include <window_facts.h>

#include "core/arrow_keys.h"

namespace {

using namespace tov::arrowin;

// The modifier and the tables stay in the section, with their values, for the layout's sake, and
// are no longer read: any program that maps the library could rewrite them, and the hook would
// type whatever key it liked into the program the user types in. The hook takes them from this
// library's read-only data (core/arrow_keys.h).
struct SharedState {
  HHOOK hHook;
  bool inUse;
  std::int32_t modifierKey;  // not read
  std::int32_t keyCount;     // not read
  KeyTable sourceKeys;       // not read
  KeyTable targetKeys;       // not read
};

TOV_SHARED constinit SharedState state = {nullptr,
                                          true,
                                          kInitialModifierKey,
                                          static_cast<std::int32_t>(kKeyTableSize),
                                          kInitialSourceKeys,
                                          kInitialTargetKeys};

void injectArrow(std::int32_t targetKey, bool release, bool ownInput) {
  ShiftWrap wrap =
      shiftWrap(tov::isKeyDown(VK_SHIFT, ownInput), tov::isKeyDown(VK_LSHIFT, ownInput),
                tov::isKeyDown(VK_RSHIFT, ownInput));
  std::uint16_t wrapScanCode = 0;
  if (wrap != ShiftWrap::kNone)
    wrapScanCode = static_cast<std::uint16_t>(MapVirtualKeyW(wrapKey(wrap), MAPVK_VK_TO_VSC));
  KeyEvents events = arrowEvents(targetKey, release, wrap, wrapScanCode);
  INPUT inputs[3] = {};
  for (std::size_t i = 0; i < events.count; ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = events.events[i].virtualKey;
    inputs[i].ki.wScan = events.events[i].scanCode;
    inputs[i].ki.dwFlags = events.events[i].flags;
  }
  SendInput(static_cast<UINT>(events.count), inputs, sizeof(INPUT));
}

LRESULT CALLBACK keyboardProcedure(int code, WPARAM wParam, LPARAM lParam) {
  // A peeked message (HC_NOREMOVE) comes back once more when it is removed: translate it then.
  // The table is looked at before the modifier, which costs a call.
  if (state.inUse && code >= 0 && code != HC_NOREMOVE) {
    std::int32_t target = targetKeyFor(kInitialSourceKeys, kInitialTargetKeys,
                                       static_cast<std::int32_t>(kKeyTableSize), wParam);
    // In a program of its own the hook runs on the thread the keystroke is for, whose key state
    // it reads. On the host's thread it runs for 32-bit programs (a hook whose library does not
    // match a program's bitness runs where it was installed), whose key state that thread lacks:
    // the keyboard's present state is asked there, and a program out of this one's reach, which
    // would drop the injected arrow, keeps its letter. Either way a letter typed without the
    // modifier, nearly every one, costs one key-state call.
    bool onHostThread = tov::isHostThread();
    if (target >= 0 && tov::isKeyDown(kInitialModifierKey, !onHostThread)) {
      HWND receiver = onHostThread ? tov::keystrokeWindow() : nullptr;
      bool ownInput = receiver == nullptr || tov::isOwnThreadWindow(receiver);
      if (ownInput || tov::canActOn(receiver)) {
        injectArrow(target, isKeyRelease(lParam), ownInput);
        return 1;  // the letter never reaches the program, even when the injection fails
      }
    }
  }
  return CallNextHookEx(state.hHook, code, wParam, lParam);
}

class Arrowin final
    : public tov::OneHookPlugin<SharedState, state, WH_KEYBOARD, keyboardProcedure> {
 public:
  Arrowin(int pluginId, IPluginHost* pluginHost)
      : OneHookPlugin(L"Arrowin", pluginId, pluginHost) {}
};

}  // namespace

TOV_PLUGIN_EXPORT(Arrowin)
