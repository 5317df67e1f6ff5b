#include "middle_click.h"

namespace tov::minimize {

ReleaseAction releaseAction(const ReleaseFacts& facts) {
  if (facts.menuOpen) return ReleaseAction::kEscapeToMenu;
  if (facts.captured) return ReleaseAction::kEscapeToCapture;
  if (facts.rootIsDesktopOrTaskbar) return ReleaseAction::kMinimizeFront;
  if (facts.rootVisible) return ReleaseAction::kMinimizeRoot;
  return ReleaseAction::kNothing;
}

bool isOnTitleBar(std::uint32_t hitTest) {
  switch (hitTest) {
    case HTCAPTION:
    case HTSYSMENU:
    case HTMINBUTTON:
    case HTMAXBUTTON:
    case HTCLOSE:
    case HTHELP:
      return true;
    default:
      return false;
  }
}

bool takesMiddleClick(bool titleBarsOnly, std::uint32_t hitTest, bool onDesktopOrTaskbar) {
  return !titleBarsOnly || isOnTitleBar(hitTest) || onDesktopOrTaskbar;
}

bool isFrontCandidate(bool normalTopLevel, std::uint32_t style) {
  return normalTopLevel && (style & WS_MINIMIZE) == 0;
}

bool isFrontChoice(const FrontFacts& facts) {
  return isFrontCandidate(facts.normalTopLevel, facts.style) && !facts.cloaked && facts.actionable;
}

}  // namespace tov::minimize
