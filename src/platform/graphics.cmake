# Value types (colours, font, pen, brush, string lists, pictures) and the raster canvas.
list(APPEND PLATFORM_SOURCES
  ColorMaps.h ColorMaps.cpp IdentMaps.h
  Graphics.h Graphics.cpp)
list(APPEND PLATFORM_SOURCES Strings.h Strings.cpp)
list(APPEND PLATFORM_SOURCES
  Canvas.h Canvas.cpp ShapeStamps.h ShapeStamps.cpp
  BmpCodec.h BmpCodec.cpp
  Pictures.h Pictures.cpp)
