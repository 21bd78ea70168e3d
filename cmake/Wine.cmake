# Tests of the win64 build run under Wine: one Xvfb server and one private
# Wine prefix inside the build tree, both started by the fixture test
# wine.start and stopped by wine.stop (CTest fixture "wine").
set(VARNEL_WINE_SESSION "${CMAKE_SOURCE_DIR}/cmake/wine-session.sh")
configure_file("${CMAKE_SOURCE_DIR}/cmake/wine-run.sh.in" "${CMAKE_BINARY_DIR}/wine-run.sh"
               @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
               GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_BINARY_DIR}/wine-run.sh")

# Marks a test as one that needs the Wine session, with a time bound. The
# tests share one display without a window manager, where activation and
# keyboard focus are whoever asked last: they run one at a time.
function(varnel_wine_test name)
  cmake_parse_arguments(arg "" "TIMEOUT" "" ${ARGN})
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 120)
  endif()
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT ${arg_TIMEOUT}
                       RESOURCE_LOCK wine-display)
endfunction()
