# A layer is a folder of the source tree built into one static library,
# varnel_<folder>. Portable sources sit in the folder itself and build in
# both builds; Win32 sources sit in its win32/ subfolder and build only for
# Windows. Adding a file to a folder needs no change here.

function(varnel_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX /utf-8)
  else()
    target_compile_options(${target} PRIVATE
      -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
      -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual
      -Wimplicit-fallthrough -Wsuggest-override -Werror)
  endif()
endfunction()

function(varnel_layer name)
  set(deps ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/${name}/*.cpp")
  if(WIN32)
    file(GLOB win_sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/${name}/win32/*.cpp")
    list(APPEND sources ${win_sources})
  endif()
  set(target varnel_${name})
  if(sources)
    add_library(${target} STATIC ${sources})
    varnel_warnings(${target})
    target_include_directories(${target} PUBLIC "${CMAKE_SOURCE_DIR}")
    foreach(dep IN LISTS deps)
      target_link_libraries(${target} PUBLIC varnel_${dep})
    endforeach()
    if(WIN32)
      target_compile_definitions(${target} PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                 _WIN32_WINNT=0x0601 WINVER=0x0601)
      target_link_libraries(${target} PUBLIC ole32 oleaut32 uuid shell32 shlwapi comctl32
                            version gdi32 user32 advapi32 msimg32 uxtheme)
    endif()
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE "${CMAKE_SOURCE_DIR}")
    foreach(dep IN LISTS deps)
      target_link_libraries(${target} INTERFACE varnel_${dep})
    endforeach()
  endif()
endfunction()

# Every library of the tree, lowest last, for tests and programs.
set(VARNEL_ALL_LAYERS varnel_setup varnel_progress varnel_components varnel_versioninfo
    varnel_forms varnel_platform varnel_runtime)

# Static linking so that each .exe is one file that runs on a bare Windows.
function(varnel_static_exe target)
  if(WIN32 AND NOT MSVC)
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++ -municode)
  endif()
endfunction()
