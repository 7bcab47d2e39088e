#include "document/ElementPictures.h"

#include "platform/Canvas.h"

#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Cells of about the same height share a shelf (a row of a page), so a tall cell does not
// leave the space above a row of short ones empty.
int ShelfHeight(int height) { return height <= 64 ? (height + 3) / 4 * 4 : (height + 15) / 16 * 16; }

void ClearArea(QImage& image, const QRect& area) {
  const size_t bytes = static_cast<size_t>(area.width()) * 4;
  for (int y = area.top(); y <= area.bottom(); ++y)
    std::memset(image.scanLine(y) + static_cast<ptrdiff_t>(area.left()) * 4, 0, bytes);
}

// The smallest rectangle holding every pixel of area that is not fully transparent (empty
// when there is none).
QRect InkBounds(const QImage& image, const QRect& area) {
  int left = area.right() + 1;
  int right = area.left() - 1;
  int top = area.bottom() + 1;
  int bottom = area.top() - 1;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    const auto* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
    int x = area.left();
    while (x <= area.right() && row[x] == 0) ++x;
    if (x > area.right()) continue;
    int last = area.right();
    while (row[last] == 0) --last;
    left = std::min(left, x);
    right = std::max(right, last);
    top = std::min(top, y);
    bottom = y;
  }
  return left > right ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

}  // namespace

TElementPictures::TElementPictures() = default;

TElementPictures::~TElementPictures() = default;

void TElementPictures::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  Clear();
}

bool TElementPictures::BeginPass(const TPictureViewKey& key, const QPaintDevice& view) {
  if (!FEnabled) return false;
  const QSize dotsPerMeter(qRound(view.logicalDpiX() / 0.0254), qRound(view.logicalDpiY() / 0.0254));
  if (dotsPerMeter != FDotsPerMeter || FScratch.size() != QSize(view.width(), view.height())) {
    FDotsPerMeter = dotsPerMeter;
    FScratchCanvas.reset();
    FScratch = NewImage(QSize(view.width(), view.height()));
  }
  if (!FHaveKey || !(key == FKey)) {
    Clear();
    FKey = key;
    FHaveKey = true;
    FPassesAtKey = 0;
    FOverflowed = false;
  }
  ++FPassesAtKey;
  return FPassesAtKey >= 2 && !FOverflowed;
}

void TElementPictures::EndPass() {
  FScratchCanvas.reset();
  FDrawing = nullptr;
}

QImage TElementPictures::NewImage(const QSize& size) const {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.setDotsPerMeterX(FDotsPerMeter.width());
  image.setDotsPerMeterY(FDotsPerMeter.height());
  image.fill(Qt::transparent);
  return image;
}

const TElementPicture* TElementPictures::Find(const void* element) const {
  const auto it = FPictures.find(element);
  return it == FPictures.end() ? nullptr : &it->second;
}

void TElementPictures::Forget(const void* element) {
  FPictures.erase(element);
  if (FDrawing == element) FDrawing = nullptr;
}

void TElementPictures::Clear() {
  FPictures.clear();
  FShelves.clear();
  FPage = FShelfTop = 0;
  FDrawing = nullptr;
}

void TElementPictures::StartOver() {
  Clear();
  FOverflowed = true;
}

bool TElementPictures::Place(const QSize& size, int& page, QRect& cell) {
  const int height = ShelfHeight(size.height());
  TShelf& shelf = FShelves[height];
  if (shelf.Height == 0 || shelf.Column + size.width() > PageSide) {
    if (FShelfTop + height > PageSide) {
      ++FPage;
      FShelfTop = 0;
    }
    if (FPage >= MaxPages) return false;
    shelf = TShelf{FPage, FShelfTop, height, 0};
    FShelfTop += height;
  }
  while (static_cast<int>(FPages.size()) <= shelf.Page)
    FPages.push_back(NewScreenImage(PageSide, PageSide, QImage::Format_ARGB32_Premultiplied));
  page = shelf.Page;
  cell = QRect(QPoint(shelf.Column, shelf.Top), size);
  shelf.Column += size.width();
  return true;
}

bool TElementPictures::Reserve(const void* element, const TElementPictureState& state, const QRect& area) {
  FDrawing = nullptr;
  if (FOverflowed) return false;
  if (area.width() > MaxAreaSide || area.height() > MaxAreaSide) {
    TElementPicture& picture = FPictures[element];
    picture = TElementPicture{};
    picture.State = state;
    picture.Direct = true;
    return false;
  }
  if (!FScratch.rect().contains(area)) return false;
  ClearArea(FScratch, area);
  FDrawing = element;
  FDrawingState = state;
  FReserved = area;
  return true;
}

TCanvas& TElementPictures::ScratchCanvas() {
  if (!FScratchCanvas) FScratchCanvas = std::make_unique<TCanvas>(&FScratch);
  return *FScratchCanvas;
}

bool TElementPictures::Finish(const void* element) {
  if (element != FDrawing) return false;
  FDrawing = nullptr;
  const QRect ink = InkBounds(FScratch, FReserved);
  TElementPicture picture;
  picture.State = FDrawingState;
  picture.Area = FReserved;
  if (!ink.isEmpty() && !FReserved.adjusted(EdgeWidth, EdgeWidth, -EdgeWidth, -EdgeWidth).contains(ink)) {
    picture.Direct = true;
    FPictures[element] = picture;
    return false;
  }
  if (!ink.isEmpty()) {
    if (!Place(ink.size(), picture.Page, picture.Cell)) {
      StartOver();
      return false;
    }
    QImage& page = FPages[static_cast<size_t>(picture.Page)];
    const size_t bytes = static_cast<size_t>(ink.width()) * 4;
    for (int y = 0; y < ink.height(); ++y)
      std::memcpy(page.scanLine(picture.Cell.top() + y) + static_cast<ptrdiff_t>(picture.Cell.left()) * 4,
                  FScratch.constScanLine(ink.top() + y) + static_cast<ptrdiff_t>(ink.left()) * 4, bytes);
  }
  picture.ViewAt = ink.topLeft();
  FPictures[element] = picture;
  return true;
}

void TElementPictures::Copy(QPainter& painter, const TElementPicture& picture) const {
  if (picture.Cell.isEmpty()) return;
  painter.drawImage(picture.ViewAt, FPages[static_cast<size_t>(picture.Page)], picture.Cell);
}

QImage TElementPictures::CellPixels(const TElementPicture& picture) const {
  if (picture.Cell.isEmpty()) return QImage();
  return FPages[static_cast<size_t>(picture.Page)].copy(picture.Cell);
}

size_t TElementPictures::DirectCount() const {
  return static_cast<size_t>(
      std::count_if(FPictures.begin(), FPictures.end(), [](const auto& entry) { return entry.second.Direct; }));
}
