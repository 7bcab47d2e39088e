#include "platform/ShapeStamps.h"

#include <QImage>
#include <algorithm>

bool TStampKey::operator==(const TStampKey& other) const {
  return Shape == other.Shape && Width == other.Width && Height == other.Height && Corner == other.Corner &&
         Points == other.Points;
}

size_t TStampKeyHash::operator()(const TStampKey& key) const {
  size_t hash = static_cast<size_t>(key.Shape);
  const auto mix = [&hash](int value) {
    hash = (hash ^ static_cast<size_t>(static_cast<unsigned>(value))) * 1099511628211u;
  };
  mix(key.Width);
  mix(key.Height);
  mix(key.Corner.X);
  mix(key.Corner.Y);
  for (const TPoint& p : key.Points) {
    mix(p.X);
    mix(p.Y);
  }
  return hash;
}

const std::vector<TPixelRun>* TShapeStamps::Find(const TStampKey& key, const TRect& bounds, const TPaint& paint) {
  if (bounds.Width() > MaxSide || bounds.Height() > MaxSide || bounds.Width() <= 0 || bounds.Height() <= 0)
    return nullptr;
  const auto found = FEntries.find(key);
  if (found == FEntries.end()) {
    if (FEntries.size() >= MaxKeys) FEntries.clear();
    FEntries.emplace(key, TEntry{});
    return nullptr;
  }
  TEntry& entry = found->second;
  if (entry.Unstampable) return nullptr;
  if (!entry.Runs) {
    entry.Runs = Rasterize(bounds, paint);
    entry.Unstampable = !entry.Runs;
  }
  return entry.Runs.get();
}

// The shape painted on a transparent image with room around it; nullptr when it reaches the
// image's outermost pixels (it may go further than the image shows).
std::unique_ptr<std::vector<TPixelRun>> TShapeStamps::Rasterize(const TRect& bounds, const TPaint& paint) {
  QImage image(bounds.Width() + 2 * Margin, bounds.Height() + 2 * Margin, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.translate(Margin - bounds.Left, Margin - bounds.Top);
    paint(painter);
  }
  auto runs = std::make_unique<std::vector<TPixelRun>>();
  const int lastX = image.width() - 1, lastY = image.height() - 1;
  for (int y = 0; y <= lastY; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x <= lastX;) {
      if (qAlpha(line[x]) == 0) {
        ++x;
        continue;
      }
      const int left = x;
      while (x <= lastX && qAlpha(line[x]) != 0) ++x;
      if (y == 0 || y == lastY || left == 0 || x - 1 == lastX) return nullptr;
      runs->push_back({y - Margin, left - Margin, x - left});
    }
  }
  return runs;
}

size_t TShapeStamps::StampCount() const {
  return static_cast<size_t>(
      std::count_if(FEntries.begin(), FEntries.end(), [](const auto& entry) { return entry.second.Runs != nullptr; }));
}

TShapeStamps& TShapeStamps::ForThread() {
  thread_local TShapeStamps stamps;
  return stamps;
}
