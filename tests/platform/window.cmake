# Tests of the windowed control, input translation, screen and application services.
list(APPEND PLATFORM_TEST_SOURCES
  WindowControlTest.cpp
  WindowKeysTest.cpp
  WindowScreenTest.cpp
  WindowIdleTest.cpp)
