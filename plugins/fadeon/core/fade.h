// The alpha sequence of a fading pass, without Windows.
#pragma once

#include <cstdint>

namespace tov::fadeon {

// Initial values of the shared start, step and floor: 240, then 16 less at each covered window
// (adding 0xF0 modulo 256), never below 144.
inline constexpr std::uint8_t kInitialStartAlpha = 240;
inline constexpr std::uint8_t kInitialAlphaStep = 0xF0;
inline constexpr std::uint8_t kInitialMinAlpha = 0x90;

// Whether a window takes part in a pass, covering the windows below it and fading itself: a
// normal top-level window that the shell has not cloaked. A cloaked window (on another virtual
// desktop, or an app the shell has suspended) keeps its visible style but is not shown, so it
// covers nothing; it is faded once its desktop is shown and a window there is activated.
bool takesPartInPass(bool normalTopLevel, bool cloaked);

// The alpha of a window that the windows above it cover, given the alpha of the window before.
std::uint8_t alphaWhenCovered(std::uint8_t alpha, std::uint8_t step, std::uint8_t minAlpha);

// One pass down the Z order: the first window gets the start alpha; a covered window lowers the
// alpha for itself and every window after it; an uncovered one keeps the current value.
class FadeSequence {
 public:
  FadeSequence(std::uint8_t startAlpha, std::uint8_t step, std::uint8_t minAlpha)
      : alpha_(startAlpha), step_(step), minAlpha_(minAlpha) {}

  std::uint8_t next(bool covered) {
    if (covered)
      alpha_ = alphaWhenCovered(alpha_, step_, minAlpha_);
    return alpha_;
  }

 private:
  std::uint8_t alpha_;
  std::uint8_t step_;
  std::uint8_t minAlpha_;
};

}  // namespace tov::fadeon
