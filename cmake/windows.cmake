# Flags and helpers for the Windows targets (MinGW-w64 here; MSVC through the presets).
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(TOV_TEST_BIN ${CMAKE_BINARY_DIR}/tests/bin)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TOV_ARCH x64)
else()
  set(TOV_ARCH x86)
endif()

add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0A00
                        WINVER=0x0A00 _WIN32_IE=0x0A00)
if(MSVC)
  add_compile_options(/W4 /WX /GR- /utf-8)
  set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
else()
  add_compile_options(-Wall -Wextra -Werror $<$<COMPILE_LANGUAGE:CXX>:-fno-rtti>)
  # No compiler runtime DLLs beside the program.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # Hook libraries are mapped into every program on the desktop: keep them small.
  add_compile_options(-ffunction-sections -fdata-sections)
  add_link_options(-Wl,--gc-sections $<$<NOT:$<CONFIG:Debug>>:-s>)
  # The same commit links to the same bytes: GNU ld would write the time of linking into the PE
  # header and the export directory. windres writes none into the resource tables, and -s leaves
  # no debug directory (tests/wine/package/check-reproducible checks all three).
  add_link_options(-Wl,--no-insert-timestamp)
endif()

if(MSVC)
  set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} /I${CMAKE_SOURCE_DIR}/plugin_common")
else()
  set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001 -I${CMAKE_SOURCE_DIR}/plugin_common")
endif()

# The export is named in a .def file. GNU ld needs the x86 Win32 API decoration spelt out; the
# MSVC linker finds the decorated symbol for a plain name by itself.
if(TOV_ARCH STREQUAL "x86" AND NOT MSVC)
  set(TOV_PLUGIN_DEF ${CMAKE_SOURCE_DIR}/plugin_common/plugin_mingw_x86.def)
else()
  set(TOV_PLUGIN_DEF ${CMAKE_SOURCE_DIR}/plugin_common/plugin.def)
endif()

# tov_add_plugin(<name> [OUTPUT_DIR <dir>] SOURCES <files...>)
# A plug-in library: the frame, the undecorated createInstance export, its version resource.
function(tov_add_plugin name)
  cmake_parse_arguments(ARG "" "OUTPUT_DIR" "SOURCES;LIBRARIES" ${ARGN})
  set(TOV_PLUGIN_NAME ${name})
  configure_file(${CMAKE_SOURCE_DIR}/plugin_common/plugin_version.rc.in
                 ${CMAKE_CURRENT_BINARY_DIR}/${name}_version.rc @ONLY)
  add_library(${name} SHARED ${ARG_SOURCES} ${CMAKE_CURRENT_BINARY_DIR}/${name}_version.rc
                             ${TOV_PLUGIN_DEF})
  set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name})
  if(ARG_OUTPUT_DIR)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ARG_OUTPUT_DIR})
  endif()
  set_property(GLOBAL APPEND PROPERTY TOV_PLUGIN_TARGETS ${name})
  target_link_libraries(${name} PRIVATE tov_plugin_frame ${ARG_LIBRARIES})
  if(NOT MSVC)
    target_compile_options(${name} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions>)
  endif()
endfunction()
