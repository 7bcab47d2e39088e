#include "document/DiagramLibrary.h"
#include "drawing/DgrClasses.h"
#include "elements/Blocks.h"

void InitializeDiagramLibrary() {
  static const bool initialized = [] {
    RegisterBuiltInEngines();
    RegisterDgrPictureFormats();
    RegisterBlockClasses();
    return true;
  }();
  (void)initialized;
}
