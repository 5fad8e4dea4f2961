#pragma once
// Positions and sizes of the windows are kept in twips, as the layout was
// drawn; 15 twips make one pixel at 96 dpi. Every conversion goes through here.
#include <QRect>
#include <QSize>

namespace tambril {

inline constexpr int kTwipsPerPixel = 15;

constexpr int Px(int twips) {
  // Rounded to the nearest pixel, halves away from zero.
  return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}
constexpr int Twips(int px) { return px * kTwipsPerPixel; }

inline QRect TwipsRect(int left, int top, int width, int height) {
  return QRect(Px(left), Px(top), Px(width), Px(height));
}
inline QSize TwipsSize(int width, int height) { return QSize(Px(width), Px(height)); }

}  // namespace tambril
