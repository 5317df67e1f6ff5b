#include "soak_input.h"

#include <algorithm>

namespace tov::soak {

std::uint64_t Random::next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::size_t Random::below(std::size_t bound) { return static_cast<std::size_t>(next() % bound); }

namespace {

// One action's commands on one line, with the input events they make.
class Line {
 public:
  explicit Line(Batch& batch) : batch_(batch) {}
  ~Line() {
    if (!text_.empty()) batch_.script += text_ + "\n";
  }
  Line(const Line&) = delete;
  Line& operator=(const Line&) = delete;

  Line& move(Point p) {
    return add("mousemove " + std::to_string(p.x) + " " + std::to_string(p.y), 1);
  }
  // Presses and releases with no pause between them (xdotool's own click waits 12 ms in each):
  // two of them on one spot are a double click.
  Line& click(int button, int repeat = 1) {
    for (int i = 0; i < repeat; ++i) down(button).up(button);
    return *this;
  }
  Line& down(int button) { return add("mousedown " + std::to_string(button), 1); }
  Line& up(int button) { return add("mouseup " + std::to_string(button), 1); }
  Line& keyDown(const std::string& key) { return add("keydown " + key, 1); }
  Line& keyUp(const std::string& key) { return add("keyup " + key, 1); }
  // A chord such as "ctrl+k": each of its keys pressed and released.
  Line& key(const std::string& chord) {
    std::size_t keys = 1 + static_cast<std::size_t>(std::count(chord.begin(), chord.end(), '+'));
    return add("key --delay 0 " + chord, 2 * keys);
  }

 private:
  Line& add(const std::string& command, std::size_t events) {
    if (!text_.empty()) text_ += ' ';
    text_ += command;
    batch_.events += events;
    return *this;
  }
  Batch& batch_;
  std::string text_;
};

class Planner {
 public:
  Planner(const Scene& scene, Random& random, Batch& batch)
      : scene_(scene), random_(random), batch_(batch) {}

  // One action of a user, chosen by weight.
  void act() {
    std::size_t roll = random_.below(100);
    if (roll < 25) return moves();
    if (roll < 37) return clickIn(1);
    if (roll < 42) return clickIn(3);
    if (roll < 47) return clickIn(2);  // Minimize
    if (roll < 52) return doubleClickBlank();
    if (roll < 55) return doubleClickCorner();
    if (roll < 60) return transparency();
    if (roll < 64) return topmost();
    if (roll < 71) return wheel();
    if (roll < 78) return letters();
    if (roll < 84) return arrows();
    if (roll < 88) return newFolder();
    if (roll < 92) return backspace();
    if (roll < 96) return taskbarClick();
    return taskbarDrag();
  }

 private:
  template <class T>
  const T& pick(const std::vector<T>& items) {
    return items[random_.below(items.size())];
  }
  const WindowTargets& window() { return pick(scene_.windows); }
  Point near(Point p, int spread) {
    auto offset = [&] {
      return static_cast<int>(random_.below(static_cast<std::size_t>(2 * spread + 1))) - spread;
    };
    return Point{p.x + offset(), p.y + offset()};
  }
  // Windows that offer a target.
  std::vector<Point> all(std::optional<Point> WindowTargets::*member) const {
    std::vector<Point> points;
    for (const WindowTargets& w : scene_.windows)
      if (w.*member) points.push_back(*(w.*member));
    return points;
  }

  void moves() {
    Line line(batch_);
    for (std::size_t i = 0, n = 3 + random_.below(6); i < n; ++i)
      line.move(near(window().client, 40));
  }
  void clickIn(int button) { Line(batch_).move(near(window().client, 20)).click(button); }
  void doubleClickBlank() {
    std::vector<Point> blanks = all(&WindowTargets::listBlank);
    if (blanks.empty()) return clickIn(1);
    Line(batch_).move(near(pick(blanks), 4)).click(1, 2);
  }
  void doubleClickCorner() {
    std::vector<Point> corners = all(&WindowTargets::corner);
    if (corners.empty()) return clickIn(1);
    Line(batch_).move(pick(corners)).click(1, 2);
  }
  // A right click on the maximise button, a few wheel turns, a click that ends the adjustment.
  void transparency() {
    std::vector<const WindowTargets*> windows;
    for (const WindowTargets& w : scene_.windows)
      if (w.maximise) windows.push_back(&w);
    if (windows.empty()) return clickIn(3);
    const WindowTargets& w = *pick(windows);
    Line line(batch_);
    line.move(*w.maximise).click(3).move(near(w.client, 20));
    for (std::size_t i = 0, n = 1 + random_.below(6); i < n; ++i)
      line.click(random_.below(2) ? 4 : 5);
    line.click(1);
  }
  void topmost() {
    std::vector<Point> closes = all(&WindowTargets::close);
    if (closes.empty()) return clickIn(3);
    Line(batch_).move(pick(closes)).click(3);
  }
  void wheel() {
    static const char* const kModifiers[] = {"", "ctrl", "shift", "Muhenkan"};
    const std::string modifier = kModifiers[random_.below(4)];
    Line line(batch_);
    line.move(near(window().client, 30));
    if (!modifier.empty()) line.keyDown(modifier);
    for (std::size_t i = 0, n = 1 + random_.below(4); i < n; ++i)
      line.click(random_.below(2) ? 4 : 5);
    if (!modifier.empty()) line.keyUp(modifier);
  }
  std::string letter() {
    static const char kLetters[] = "edafkjhlwxq";
    return std::string(1, kLetters[random_.below(sizeof kLetters - 1)]);
  }
  void letters() {
    Line line(batch_);
    for (std::size_t i = 0, n = 1 + random_.below(4); i < n; ++i)
      line.key(random_.below(3) == 0 ? "shift+" + letter() : letter());
  }
  // Arrowin: letters with its modifier held, now and then with Shift as well.
  void arrows() {
    const bool shift = random_.below(3) == 0;
    Line line(batch_);
    line.keyDown("Muhenkan");
    if (shift) line.keyDown("shift");
    for (std::size_t i = 0, n = 1 + random_.below(5); i < n; ++i) line.key(letter());
    if (shift) line.keyUp("shift");
    line.keyUp("Muhenkan");
  }
  void newFolder() {
    std::vector<Point> blanks = all(&WindowTargets::listBlank);
    Line line(batch_);
    if (!blanks.empty()) line.move(near(pick(blanks), 4)).click(1);
    line.key("ctrl+k");
  }
  void backspace() { Line(batch_).key("BackSpace"); }
  void taskbarClick() {
    if (scene_.taskbarButtons.empty()) return clickIn(1);
    Line(batch_).move(near(pick(scene_.taskbarButtons), 5)).click(random_.below(4) == 0 ? 2 : 1);
  }
  // A taskbar button dragged onto another, through the control as a hand would go.
  void taskbarDrag() {
    if (scene_.taskbarButtons.size() < 2) return clickIn(1);
    Point from = pick(scene_.taskbarButtons);
    Point to = pick(scene_.taskbarButtons);
    Line(batch_).move(from).down(1).move(Point{(from.x + to.x) / 2, from.y + 2}).move(to).up(1);
  }

  const Scene& scene_;
  Random& random_;
  Batch& batch_;
};

}  // namespace

Batch makeBatch(const Scene& scene, Random& random, std::size_t events) {
  Batch batch;
  if (scene.windows.empty()) return batch;
  Planner planner(scene, random, batch);
  while (batch.events < events) planner.act();
  return batch;
}

bool staysFlat(const std::vector<long>& values, std::size_t warmUp, long tolerance) {
  if (warmUp >= values.size()) return true;
  const auto from = values.begin() + static_cast<std::ptrdiff_t>(warmUp);
  const auto half = from + (values.end() - from + 1) / 2;
  const long firstPeak = *std::max_element(from, half);
  const long secondPeak = half == values.end() ? firstPeak : *std::max_element(half, values.end());
  // A leak keeps rising: the second half climbs over the first. A one-time step (a cache filled,
  // a window's first resize) rises once and stays, which the wider bound lets through.
  return secondPeak - firstPeak <= tolerance && values.back() - *from <= 2 * tolerance;
}

}  // namespace tov::soak
