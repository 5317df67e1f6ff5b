// Arrowin: while the layer key is held, E D A F and K J H L type Up, Down, Left and Right in
// whatever program has the focus. The letter's event is consumed and an arrow event injected in
// its place, with Shift when a Shift key is held. The layer key is the no-conversion key unless
// the user chose Caps Lock or the right Alt key in Arrowin's menu.
#include <no_wait.h>
#include <plugin_frame.h>
#include <session_block.h>
#include <window_facts.h>

#include <atomic>

#include "core/arrow_keys.h"

namespace {

using namespace tov::arrowin;

// The modifier and the tables stay in the section, with their values, for the layout's sake, and
// are no longer read: any program that maps the library could rewrite them, and the hook would
// type whatever key it liked into the program the user types in. The hook takes the tables from
// this library's read-only data (core/arrow_keys.h), and the layer key from TOV's session block,
// where Arrowin publishes the user's choice.
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

void send(const KeyEvents& events) {
  INPUT inputs[std::tuple_size_v<decltype(events.events)>] = {};
  for (std::size_t i = 0; i < events.count; ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = events.events[i].virtualKey;
    inputs[i].ki.wScan = events.events[i].scanCode;
    inputs[i].ki.dwFlags = events.events[i].flags;
  }
  SendInput(static_cast<UINT>(events.count), inputs, sizeof(INPUT));
}

std::uint16_t scanCodeOf(std::uint16_t virtualKey) {
  return static_cast<std::uint16_t>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
}

void injectArrow(std::int32_t targetKey, bool release, bool ownInput, bool liftAlt) {
  ShiftWrap wrap =
      shiftWrap(tov::isKeyDown(VK_SHIFT, ownInput), tov::isKeyDown(VK_LSHIFT, ownInput),
                tov::isKeyDown(VK_RSHIFT, ownInput));
  std::uint16_t wrapScanCode = wrap != ShiftWrap::kNone ? scanCodeOf(wrapKey(wrap)) : 0;
  AltLift lift;
  if (liftAlt) lift = {true, scanCodeOf(VK_RMENU)};
  send(arrowEvents(targetKey, release, wrap, wrapScanCode, lift));
}

// Per program: whether the Caps Lock hold under way has typed arrows, so that its release toggles
// Caps Lock back (core/arrow_keys.h). The keys of one hold reach the program that has the focus;
// what another program's copy of the library saw is no concern of this one.
std::atomic<bool> capsLockHoldTypedArrows{false};

void onCapsLock(LPARAM flags) {
  switch (capsLockStep(flags, capsLockHoldTypedArrows.load(std::memory_order_relaxed))) {
    case CapsLockStep::kHoldBegins:
      capsLockHoldTypedArrows.store(false, std::memory_order_relaxed);
      break;
    case CapsLockStep::kToggleBack:
      capsLockHoldTypedArrows.store(false, std::memory_order_relaxed);
      send(capsLockTap(scanCodeOf(VK_CAPITAL)));
      break;
    case CapsLockStep::kNone:
      break;
  }
}

LRESULT CALLBACK keyboardProcedure(int code, WPARAM wParam, LPARAM lParam) {
  // A peeked message (HC_NOREMOVE) comes back once more when it is removed: translate it then.
  // The table is looked at before the layer key, which costs a call.
  if (state.inUse && code >= 0 && code != HC_NOREMOVE) {
    // Caps Lock itself always passes: the system has toggled it already.
    if (wParam == VK_CAPITAL) {
      onCapsLock(lParam);
      return CallNextHookEx(state.hHook, code, wParam, lParam);
    }
    std::int32_t target = targetKeyFor(kInitialSourceKeys, kInitialTargetKeys,
                                       static_cast<std::int32_t>(kKeyTableSize), wParam);
    if (target >= 0) {
      // In a program of its own the hook runs on the thread the keystroke is for, whose key
      // state it reads. On the host's thread it runs for 32-bit programs (a hook whose library
      // does not match a program's bitness runs where it was installed), whose key state that
      // thread lacks: the keyboard's present state is asked there, and a program out of this
      // one's reach, which would drop the injected arrow, keeps its letter. Either way a letter
      // typed without the layer key, nearly every one, costs one key-state call, and the look at
      // the layer key the user chose none (the session block is mapped once per program).
      bool onHostThread = tov::isHostThread();
      std::int32_t layerKey = layerKeyFrom(tov::readSessionValue(kLayerKeyValue));
      bool layerDown = tov::isKeyDown(layerKey, !onHostThread);
      bool controlDown =
          layerDown && layerKey == VK_RMENU && tov::isKeyDown(VK_CONTROL, !onHostThread);
      if (layerHeld(layerKey, layerDown, controlDown)) {
        HWND receiver = onHostThread ? tov::keystrokeWindow() : nullptr;
        bool ownInput = receiver == nullptr || tov::isOwnThreadWindow(receiver);
        if (ownInput || tov::canActOn(receiver)) {
          injectArrow(target, isKeyRelease(lParam), ownInput, layerKey == VK_RMENU);
          if (layerKey == VK_CAPITAL)
            capsLockHoldTypedArrows.store(true, std::memory_order_relaxed);
          return 1;  // the letter never reaches the program, even when the injection fails
        }
      }
    }
  }
  return CallNextHookEx(state.hHook, code, wParam, lParam);
}

// Stopped or switched off while a letter is held as an arrow: the arrow is let go now, as the
// program would otherwise never see it go up.
void releaseHeldArrows() {
  KeyTable arrows{};
  std::size_t count = arrowsHeldByLetters(
      kInitialSourceKeys, kInitialTargetKeys,
      [](std::int32_t key) { return tov::isKeyDown(key, false); }, arrows);
  for (std::size_t i = 0; i < count; ++i) send(arrowEvents(arrows[i], true, ShiftWrap::kNone, 0));
}

// Arrowin's own items, one per layer key in the order of kLayerKeys; offset 4 still switches the
// plug-in on and off, as for every plug-in without items of its own before.
constexpr int kFirstLayerItem = tov::kFirstPluginOffset + 1;
constexpr wchar_t kLayerKeySetting[] = L"layerKey";

class Arrowin final
    : public tov::OneHookPlugin<SharedState, state, WH_KEYBOARD, keyboardProcedure> {
 public:
  Arrowin(int pluginId, IPluginHost* pluginHost)
      : OneHookPlugin(L"Arrowin", pluginId, pluginHost) {}
  ~Arrowin() override { tov::withdrawSessionValue(kLayerKeyValue); }

  bool initialize() override {
    layerKey_ = layerKeyFrom(storedChoice(kLayerKeySetting, kInitialModifierKey));
    tov::publishSessionValue(kLayerKeyValue, layerKey_);
    return OneHookPlugin::initialize() && setCommand(kFirstLayerItem, &Arrowin::holdCapsLock) &&
           setCommand(kFirstLayerItem + 1, &Arrowin::holdRightAlt) &&
           setCommand(kFirstLayerItem + 2, &Arrowin::holdNoConvert);
  }

  HMENU createMenu() override {
    return menuOf({{kFirstLayerItem, L"Hold Caps Lock", layerKey_ == kLayerKeys[0]},
                   {kFirstLayerItem + 1, L"Hold Right Alt", layerKey_ == kLayerKeys[1]},
                   {kFirstLayerItem + 2, L"Hold No-conversion key", layerKey_ == kLayerKeys[2]}},
                  true);
  }

  bool stop() override {
    bool stopped = OneHookPlugin::stop();
    if (stopped) releaseHeldArrows();
    return stopped;
  }
  bool setUse(bool use) override {
    OneHookPlugin::setUse(use);
    if (!use && tov::isHookInstalled(state.hHook)) releaseHeldArrows();
    return state.inUse;
  }

 private:
  bool choose(std::int32_t layerKey) {
    layerKey_ = layerKey;
    keepChoice(kLayerKeySetting, kLayerKeyValue, layerKey_);
    return true;
  }
  bool holdCapsLock(LPARAM) { return choose(kLayerKeys[0]); }
  bool holdRightAlt(LPARAM) { return choose(kLayerKeys[1]); }
  bool holdNoConvert(LPARAM) { return choose(kLayerKeys[2]); }

  std::int32_t layerKey_ = kInitialModifierKey;
};

}  // namespace

TOV_PLUGIN_EXPORT(Arrowin)
