# The product as a user downloads it: <build>/dist/TOV-<version>-<arch>.zip and
# TOV-<version>-<arch>-setup.exe, from TOV.exe and the plug-in libraries added so far (the
# product's; test plug-ins come later). Target tov_package; `./tov package` collects both builds'.
set(tov_version_header ${CMAKE_SOURCE_DIR}/plugin_common/version.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${tov_version_header})
file(STRINGS ${tov_version_header} tov_version_lines REGEX "^#define TOV_VERSION_[A-Z]+ [0-9]+$")
foreach(part MAJOR MINOR PATCH BUILD)
  if(NOT tov_version_lines MATCHES "TOV_VERSION_${part} ([0-9]+)")
    message(FATAL_ERROR "TOV_VERSION_${part} not found in ${tov_version_header}")
  endif()
  set(tov_version_${part} ${CMAKE_MATCH_1})
endforeach()
set(TOV_VERSION ${tov_version_MAJOR}.${tov_version_MINOR}.${tov_version_PATCH})
set(tov_file_version ${TOV_VERSION}.${tov_version_BUILD})

set(TOV_DIST_DIR ${CMAKE_BINARY_DIR}/dist)
set(TOV_PACKAGE_ZIP ${TOV_DIST_DIR}/TOV-${TOV_VERSION}-${TOV_ARCH}.zip)
set(TOV_PACKAGE_SETUP ${TOV_DIST_DIR}/TOV-${TOV_VERSION}-${TOV_ARCH}-setup.exe)

get_property(tov_product_plugins GLOBAL PROPERTY TOV_PLUGIN_TARGETS)
set(tov_program_files $<TARGET_FILE:TOV>)
foreach(plugin IN LISTS tov_product_plugins)
  list(APPEND tov_program_files $<TARGET_FILE:${plugin}>)
endforeach()
file(GLOB tov_samples CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/host/samples/*
     ${CMAKE_SOURCE_DIR}/plugins/*/samples/*)
file(GLOB tov_guide_pictures CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/images/*)
set(tov_make_package ${CMAKE_SOURCE_DIR}/installer/make-package)
# make-package's arguments around its work and output folders, for the tests that pack again.
set(TOV_PACKAGE_COMMAND ${tov_make_package} ${TOV_ARCH} ${TOV_VERSION} ${tov_file_version})
set(TOV_PACKAGE_PROGRAM_FILES ${tov_program_files})
# The folder make-package stages the files in (in its work folder, build/<arch>/package).
set(TOV_PACKAGE_STAGED ${CMAKE_BINARY_DIR}/package/TOV)

add_custom_command(
  OUTPUT ${TOV_PACKAGE_ZIP} ${TOV_PACKAGE_SETUP}
  COMMAND ${TOV_PACKAGE_COMMAND} ${CMAKE_BINARY_DIR}/package ${TOV_DIST_DIR} ${tov_program_files}
  DEPENDS TOV ${tov_product_plugins} ${tov_samples} ${tov_make_package}
          ${CMAKE_SOURCE_DIR}/installer/sign ${CMAKE_SOURCE_DIR}/installer/source-date-epoch
          ${CMAKE_SOURCE_DIR}/installer/tov.nsi ${CMAKE_SOURCE_DIR}/installer/README.txt
          ${CMAKE_SOURCE_DIR}/host/res/tov.ico ${CMAKE_SOURCE_DIR}/tools/make_icons.py
          ${CMAKE_SOURCE_DIR}/docs/guide.md ${tov_guide_pictures}
          ${CMAKE_SOURCE_DIR}/tools/render_guide.py
  COMMENT "Packaging TOV ${TOV_VERSION} ${TOV_ARCH}"
  VERBATIM)
add_custom_target(tov_package DEPENDS ${TOV_PACKAGE_ZIP} ${TOV_PACKAGE_SETUP})
