#pragma once
// Writes a diagram with its elements into the binary stream and reads it back, the way
// files and snapshots do, without the name handling of the file operations.

#include "document/vxDiagram.h"
#include "streaming/ComponentStream.h"

inline QByteArray SaveDiagram(TvxDiagram* diagram) {
  diagram->SetInternalStreaming(true);
  TComponentStreamOptions options;
  options.LookupRoot = diagram->Owner();
  QByteArray data = WriteComponent(diagram, options);
  diagram->SetInternalStreaming(false);
  return data;
}

inline void LoadDiagram(TvxDiagram* diagram, const QByteArray& data) {
  diagram->Clear();
  TComponentStreamOptions options;
  options.LookupRoot = diagram->Owner();
  ReadComponent(data, diagram, options);
}
