#pragma once
// Images whose neighbouring pixels all differ, so a pixel written twice or left out shows.

#include <QImage>
#include <cstdint>

// Fills image with opaque pixels from a small linear congruential sequence started at seed.
inline QImage& FillWithNoise(QImage& image, uint32_t seed) {
  uint32_t state = seed;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      state = state * 1103515245u + 12345u;
      image.setPixel(x, y, 0xFF000000u | (state >> 8));
    }
  return image;
}
