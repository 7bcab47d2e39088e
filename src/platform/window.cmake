# The windowed control, input translation, screen and application services.
list(APPEND PLATFORM_SOURCES
  ControlTypes.h
  ControlKeys.h ControlKeys.cpp
  Control.h Control.cpp
  WindowScreen.h WindowScreen.cpp
  WindowApplication.h WindowApplication.cpp)
