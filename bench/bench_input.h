// The input the benchmarks send to a window of their own and take from their own queue, each
// event counted by that window's procedure (countInput) as it arrives.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstring>

inline constexpr int kInputBatch = 50;
inline long inputReceived = 0;  // input messages that reached the bench's window

// For the window's procedure: counts presses, releases and keys; true for those.
inline bool countInput(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
    case WM_KEYUP:
      ++inputReceived;
      return true;
    default:
      return false;
  }
}

// Takes this thread's messages until `target` input messages have arrived; false after a second
// without progress.
inline bool takeInputUntil(long target) {
  DWORD lastProgress = GetTickCount();
  long seen = inputReceived;
  while (inputReceived < target) {
    MSG message;
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&message);
      if (inputReceived != seen) {
        seen = inputReceived;
        lastProgress = GetTickCount();
      }
      continue;
    }
    if (GetTickCount() - lastProgress > 1000) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  return true;
}

// One batch, sent with one SendInput and taken: left presses and releases where the cursor is
// (`letters` null), or typing, each of `letters` in turn pressed and released.
inline bool inputBatch(const char* letters) {
  static std::size_t next = 0;
  INPUT inputs[kInputBatch] = {};
  for (int i = 0; i < kInputBatch; i += 2) {
    if (letters == nullptr) {
      inputs[i].type = inputs[i + 1].type = INPUT_MOUSE;
      inputs[i].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
      inputs[i + 1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
      continue;
    }
    WORD key = static_cast<WORD>(letters[next++ % std::strlen(letters)]);
    inputs[i].type = inputs[i + 1].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = inputs[i + 1].ki.wVk = key;
    inputs[i + 1].ki.dwFlags = KEYEVENTF_KEYUP;
  }
  long target = inputReceived + kInputBatch;
  return SendInput(kInputBatch, inputs, sizeof(INPUT)) == kInputBatch && takeInputUntil(target);
}
