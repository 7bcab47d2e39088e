# Helpers that keep every subsystem's CMakeLists short and its dependencies explicit.

# diagram_library(<name> SOURCES ... [DEPS ...] [QT ...])
# Creates the static library diagram_<name> from the sources of src/<name>.
# DEPS are our own libraries (short names), QT the Qt modules it uses directly.
function(diagram_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;QT;LIBS" ${ARGN})
  add_library(diagram_${name} STATIC ${ARG_SOURCES})
  target_include_directories(diagram_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  foreach(dep IN LISTS ARG_DEPS)
    target_link_libraries(diagram_${name} PUBLIC diagram_${dep})
  endforeach()
  foreach(mod IN LISTS ARG_QT)
    target_link_libraries(diagram_${name} PUBLIC Qt6::${mod})
  endforeach()
  target_link_libraries(diagram_${name} PUBLIC ${ARG_LIBS})
endfunction()

# diagram_test(<name> SOURCES ... DEPS ...)
# A GoogleTest executable whose cases are registered with CTest at test time
# (discovery at build time would start a QApplication without a display).
function(diagram_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LIBS" ${ARGN})
  add_executable(test_${name} ${ARG_SOURCES})
  foreach(dep IN LISTS ARG_DEPS)
    target_link_libraries(test_${name} PRIVATE diagram_${dep})
  endforeach()
  target_link_libraries(test_${name} PRIVATE diagram_test_support ${ARG_LIBS})
  target_compile_definitions(test_${name} PRIVATE DIAGRAM_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}")
  gtest_discover_tests(test_${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# diagram_bench(<name> SOURCES ... DEPS ...)
function(diagram_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LIBS" ${ARGN})
  add_executable(bench_${name} ${ARG_SOURCES})
  foreach(dep IN LISTS ARG_DEPS)
    target_link_libraries(bench_${name} PRIVATE diagram_${dep})
  endforeach()
  target_link_libraries(bench_${name} PRIVATE benchmark::benchmark ${ARG_LIBS})
endfunction()
