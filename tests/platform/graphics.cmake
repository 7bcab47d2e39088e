list(APPEND PLATFORM_TEST_SOURCES
  ColorMapsTest.cpp GraphicsTest.cpp StringsTest.cpp GraphicsFakeFiler.h
  CanvasTest.cpp CanvasPixelLinesTest.cpp ShapeStampsTest.cpp PicturesTest.cpp)
