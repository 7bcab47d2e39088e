#include "drawing/TextWidthCache.h"

#include <QCoreApplication>
#include <QPaintDevice>

int TTextWidthCache::TFontWidths::Width(const QString& text) {
  const auto found = FWidths.constFind(text);
  if (found != FWidths.constEnd()) return *found;
  const int width = FMetrics.horizontalAdvance(text);
  FCache->MakeRoom(this);
  FWidths.insert(text, width);
  ++FCache->FTextCount;
  return width;
}

void TTextWidthCache::MakeRoom(TFontWidths* keep) {
  // keep is the font just asked for, which For moved to the front.
  while (FTextCount >= FMaxTexts && FFonts.size() > 1 && &FFonts.back() != keep) {
    FTextCount -= FFonts.back().FWidths.size();
    FFonts.pop_back();
  }
  if (FTextCount >= FMaxTexts) {
    FTextCount -= keep->FWidths.size();
    keep->FWidths.clear();
  }
}

TTextWidthCache::TFontWidths& TTextWidthCache::For(const QFont& font, QPaintDevice* device) {
  // QFontMetrics takes only the device's vertical resolution from it.
  const int dpi = device ? device->logicalDpiY() : -1;
  for (auto it = FFonts.begin(); it != FFonts.end(); ++it) {
    if (it->Dpi != dpi || !(it->Font == font)) continue;
    if (it != FFonts.begin()) FFonts.splice(FFonts.begin(), FFonts, it);
    return FFonts.front();
  }
  if (static_cast<int>(FFonts.size()) >= MaxFonts) {
    FTextCount -= FFonts.back().FWidths.size();
    FFonts.pop_back();
  }
  FFonts.push_front(TFontWidths(*this, font, dpi, device));
  return FFonts.front();
}

void TTextWidthCache::Clear() {
  FFonts.clear();
  FTextCount = 0;
}

TTextWidthCache& TTextWidthCache::Shared() {
  static TTextWidthCache cache;
  static const bool emptiedWithTheApplication = [] {
    // Fonts must not outlive the application's font database.
    qAddPostRoutine([] { Shared().Clear(); });
    return true;
  }();
  (void)emptiedWithTheApplication;
  return cache;
}
