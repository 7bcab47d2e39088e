#include "document/StreamDiagram.h"

TStreamDiagram::TStreamDiagram(QWidget* parent) : TvxDiagram(parent) {
  setGeometry(0, 0, 0, 0);
}
