#include "adjustment.h"

#include <algorithm>

namespace tov::transparent {

namespace {

// Appends the decimal digits of a non-negative value; the caller has checked the room.
std::size_t appendNumber(wchar_t* out, std::size_t length, unsigned value) {
  wchar_t digits[10];
  std::size_t count = 0;
  do {
    digits[count++] = static_cast<wchar_t>(L'0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (count > 0) out[length++] = digits[--count];
  return length;
}

std::size_t appendText(wchar_t* out, std::size_t length, const wchar_t* text) {
  while (*text != L'\0') out[length++] = *text++;
  return length;
}

}  // namespace

bool isButtonPress(std::uintptr_t message) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_NCXBUTTONDOWN:
      return true;
    default:
      return false;
  }
}

bool startsAdjustment(std::uintptr_t message, int hitTest) {
  return message == WM_NCRBUTTONDOWN && hitTest == HTMAXBUTTON;
}

int wheelDelta(std::uint32_t mouseData) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(mouseData >> 16));
}

int alphaAfterWheel(int alpha, int delta, int wheelStep) {
  if (delta > 0) return alpha - wheelStep;
  if (delta < 0) return alpha + wheelStep;
  return alpha;
}

AlphaLevel settleAlpha(int alpha, int minAlpha) {
  if (alpha >= kOpaqueAlpha) return {kOpaqueAlpha, true};
  return {std::max(alpha, minAlpha), false};
}

std::size_t formatCaption(AlphaLevel level, int minAlpha, wchar_t (&caption)[kCaptionCapacity]) {
  // The widest caption, "-2147483648%(min)", still fits the buffer.
  static_assert(kCaptionCapacity >= 11 + 1 + 5 + 1);
  std::size_t length = 0;
  if (level.opaque) {
    length = appendText(caption, length, L"100%");
  } else {
    long long percent = static_cast<long long>(level.alpha) * 100 / kOpaqueAlpha;
    if (percent < 0) {
      caption[length++] = L'-';
      percent = -percent;
    }
    length = appendNumber(caption, length, static_cast<unsigned>(percent));
    caption[length++] = L'%';
    if (level.alpha == minAlpha) length = appendText(caption, length, L"(min)");
  }
  caption[length] = L'\0';
  return length;
}

}  // namespace tov::transparent
