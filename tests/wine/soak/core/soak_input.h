// The soak's input, planned without any window: from what each window offers at the start of a
// batch (where its caption buttons, its client area, its sizing corner and its file list lie), a
// seeded choice of the actions a user takes with the plug-ins, written as an xdotool script, with
// the X input events it makes counted. The same seed and the same scene give the same script, so
// a failing run can be replayed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tov::soak {

struct Point {
  int x = 0;
  int y = 0;
};

// What one window offers to the input, in screen coordinates.
struct WindowTargets {
  Point client;                    // inside the client area
  std::optional<Point> maximise;   // the maximise button (Transparent's right click)
  std::optional<Point> close;      // the close button (Topmost's right click)
  std::optional<Point> corner;     // the lower right sizing corner (the fit's double click)
  std::optional<Point> listBlank;  // an empty spot of a file list (Pushup's double click)
};

struct Scene {
  std::vector<WindowTargets> windows;
  std::vector<Point> taskbarButtons;  // the buttons of the taskbar's control
};

// splitmix64: small, and the same on every compiler, unlike the standard distributions.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next();
  // A number from 0 to bound - 1 (bound > 0).
  std::size_t below(std::size_t bound);

 private:
  std::uint64_t state_;
};

struct Batch {
  std::string script;      // xdotool commands, one action per line
  std::size_t events = 0;  // X input events: each motion, button or key press and release
};

// Actions over `scene` until the batch holds at least `events` input events. Every button and key
// that an action presses it also releases, so a batch never leaves one down for the next. (Long
// middle holds are not among them: a hold needs the button still down once the double-click
// time has passed on the desktop's clock, which a queue of input lagging behind cannot promise.)
Batch makeBatch(const Scene& scene, Random& random, std::size_t events);

// Whether a series of measurements stays flat after its warm-up (the values from `warmUp` on):
// the peak of their second half is at most `tolerance` above the peak of their first half, and
// the last value at most twice `tolerance` above the first.
bool staysFlat(const std::vector<long>& values, std::size_t warmUp, long tolerance);

}  // namespace tov::soak
