// The arithmetic of a transparency adjustment, without Windows: which presses start and end one,
// how a wheel event moves the alpha, where the alpha stops and what the caption says.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/win32_names.h"

namespace tov::transparent {

// The alpha an adjustment starts at, and full opacity.
inline constexpr int kStartAlpha = 240;
inline constexpr int kOpaqueAlpha = 255;
// Initial values of the shared step and floor.
inline constexpr int kInitialWheelStep = -16;
inline constexpr int kInitialMinAlpha = 48;

// Wide characters of the saved caption (with terminator) and of the percentage caption.
inline constexpr std::size_t kTitleCapacity = 260;
inline constexpr std::size_t kCaptionCapacity = 20;

// Any of the eight button-down messages, client or non-client: each ends a running adjustment.
bool isButtonPress(std::uintptr_t message);

// A right press on a maximise button starts an adjustment.
bool startsAdjustment(std::uintptr_t message, int hitTest);

// The signed wheel delta carried in the high word of a low-level event's mouseData.
int wheelDelta(std::uint32_t mouseData);

// The alpha after one wheel event. `wheelStep` is the change for a backward event, so a forward
// (positive) delta of any size moves the other way; a zero delta changes nothing.
int alphaAfterWheel(int alpha, int delta, int wheelStep);

// Where an alpha comes to rest: 255 and above is opaque (the layered style goes), anything else
// is kept at or above the floor.
struct AlphaLevel {
  int alpha;
  bool opaque;
  friend bool operator==(const AlphaLevel&, const AlphaLevel&) = default;
};
AlphaLevel settleAlpha(int alpha, int minAlpha);

// The caption shown during an adjustment: "100%" when opaque, else the percentage rounded down
// followed by "(min)" at the floor. Always terminated; returns the length.
std::size_t formatCaption(AlphaLevel level, int minAlpha, wchar_t (&caption)[kCaptionCapacity]);

}  // namespace tov::transparent
