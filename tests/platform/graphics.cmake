list(APPEND PLATFORM_TEST_SOURCES
  ColorMapsTest.cpp GraphicsTest.cpp)
