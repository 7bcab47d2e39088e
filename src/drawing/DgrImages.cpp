#include "drawing/DgrImages.h"

// -------------------------------------------------------------------------------- TDgrGraphic

void TDgrGraphic::TakeBytes(const QByteArray& bytes) {
  FDatastream = bytes;
  FIsEmpty = bytes.isEmpty();
  FWidth = 0;
  FHeight = 0;
  if (!FIsEmpty) ReadImageSizes();
}

void TDgrGraphic::LoadFromStream(const QByteArray& bytes) {
  TakeBytes(bytes);
  Changed();
}

void TDgrGraphic::ReadData(TByteReader& reader) {
  const uint32_t count = reader.ReadUInt32();
  if (count > static_cast<uint64_t>(reader.Remaining())) throw EReadError(QStringLiteral("Stream read error"));
  TakeBytes(reader.ReadBytes(static_cast<qsizetype>(count)));
}

void TDgrGraphic::Assign(const TPersistent* source) {
  if (!source) {
    TakeBytes(QByteArray());
    Changed();
    return;
  }
  if (const auto* graphic = qobject_cast<const TDgrGraphic*>(source)) {
    if (graphic == this) return;
    TakeBytes(graphic->FDatastream);
    SetTransparent(graphic->Transparent());
    Changed();
    return;
  }
  if (const auto* picture = qobject_cast<const TPicture*>(source)) {
    Assign(picture->Graphic());
    return;
  }
  if (const auto* graphic = qobject_cast<const TGraphic*>(source)) {
    TakeBytes(graphic->Empty() ? QByteArray() : graphic->SaveToStream());
    SetTransparent(graphic->Transparent());
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

bool TDgrGraphic::GetImageSizes() {
  if (Empty()) return false;
  return ReadImageSizes();
}

void TDgrGraphic::Draw(TCanvas& canvas, const TRect& rect) const {
  if (Empty()) return;
  DrawInRect(canvas, rect);
}

// -------------------------------------------------------------------------------- TDgrPicture

TDgrPicture::TDgrPicture(QObject* parent) : TPicture(parent) {
  OnChange = [this](TPersistent*) { PictureChanged(); };
}

void TDgrPicture::SetTransparency(int value) {
  value = value < 0 ? 0 : value > 100 ? 100 : value;
  if (value == FTransparency) return;
  FTransparency = value;
  PictureChanged();
}

void TDgrPicture::PictureChanged() {
  if (OnPictureChange) OnPictureChange(this);
}

void TDgrPicture::Assign(const TPersistent* source) {
  if (const auto* picture = qobject_cast<const TDgrPicture*>(source)) {
    if (picture == this) return;
    TPicture::Assign(source);
    SetTransparency(picture->FTransparency);
    return;
  }
  TPicture::Assign(source);
}
