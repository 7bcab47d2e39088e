#include "document/DiagramLibrary.h"
#include "drawing/DgrClasses.h"
#include "elements/Blocks.h"
#include "elements/Lines.h"

void InitializeDiagramLibrary() {
  static const bool initialized = [] {
    RegisterBuiltInEngines();
    RegisterDgrPictureFormats();
    RegisterBlockClasses();
    RegisterLineClasses();
    return true;
  }();
  (void)initialized;
}
