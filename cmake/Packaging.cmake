# The Debian package, written by `cpack` in the build folder (scripts/package):
# every program in tools/ in /usr/bin with its manual page, the desktop entry,
# the icon, the AppStream metadata, and the copyright and changelog Debian
# asks for. Run-time libraries are found by dpkg-shlibdeps.
#
# A program joins the package by living in tools/NAME/ with an executable
# target NAME: tools/CMakeLists.txt hands each one to pelmora_package_tool().
# Its CMakeLists.txt may add the line of its manual page's NAME section:
#
#   pelmora_tool(pelmora-x SUMMARY "what the program does")
#
# Its manual page is made from its --help and --version (util/CommandLine.h),
# and a test checks that it answers them as the others do.

include(GNUInstallDirs)
find_program(PELMORA_HELP2MAN help2man)
find_program(PELMORA_GZIP gzip)
set(PELMORA_APP_ID org.pelmora.Pelmora)
set(PELMORA_PACKAGE_MAINTAINER "Pelmora maintainers <pelmora@example.org>"
    CACHE STRING "The Maintainer field of the Debian package")
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# pelmora_tool(NAME SUMMARY "...") — the one-line summary of a program.
function(pelmora_tool name)
  cmake_parse_arguments(ARG "" "SUMMARY" "" ${ARGN})
  set_property(TARGET ${name} PROPERTY PELMORA_SUMMARY "${ARG_SUMMARY}")
endfunction()

# gzip -9n, as Debian wants documentation: no name, no time stamp.
function(pelmora_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND ${PELMORA_GZIP} -9n -c ${source} > ${output}
    DEPENDS ${source} VERBATIM)
endfunction()

# Installs tool NAME, makes its manual page and checks its --help and --version.
function(pelmora_package_tool name)
  # Relocations read-only once loaded, as Debian builds its programs.
  target_link_options(${name} PRIVATE -Wl,-z,relro -Wl,-z,now)
  install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  get_target_property(summary ${name} PELMORA_SUMMARY)
  if(NOT summary)
    message(AUTHOR_WARNING "tools/${name}: call pelmora_tool(${name} SUMMARY \"...\") for its manual page")
    set(summary "a Pelmora program")
  endif()
  # The window program answers --help before it looks for a display.
  set(env ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen)
  if(PELMORA_HELP2MAN AND PELMORA_GZIP)
    set(man ${PROJECT_BINARY_DIR}/man/${name}.1)
    add_custom_command(OUTPUT ${man}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
      COMMAND ${env} ${PELMORA_HELP2MAN} --no-info --locale=C.UTF-8 --section=1 --name=${summary}
              "--source=Pelmora ${PROJECT_VERSION}" --manual=Pelmora --output=${man} $<TARGET_FILE:${name}>
      DEPENDS ${name} VERBATIM)
    pelmora_gzip(${man} ${man}.gz)
    add_custom_target(${name}-man ALL DEPENDS ${man}.gz)
    install(FILES ${man}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  else()
    message(STATUS "help2man or gzip not found: no manual page for ${name} (scripts/setup installs them)")
  endif()
  add_test(NAME ${name}.conventions
    COMMAND ${env} ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${name}> -DNAME=${name}
            -DVERSION=${PROJECT_VERSION} -P ${PROJECT_SOURCE_DIR}/tests/tools/CheckConventions.cmake)
  set_tests_properties(${name}.conventions PROPERTIES TIMEOUT 60)
endfunction()

# The desktop entry, its icon, the AppStream metadata and the Debian documents.
set(pkg ${PROJECT_SOURCE_DIR}/packaging)
install(FILES ${pkg}/${PELMORA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${pkg}/${PELMORA_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${pkg}/${PELMORA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${pkg}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/pelmora)
if(PELMORA_GZIP)
  pelmora_gzip(${pkg}/changelog ${PROJECT_BINARY_DIR}/changelog.gz)
  add_custom_target(pelmora-changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/changelog.gz)
  install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/pelmora)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pelmora)
set(CPACK_PACKAGE_VENDOR "Pelmora developers")
set(CPACK_PACKAGE_CONTACT "${PELMORA_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "prices Korean community-pharmacy prescriptions")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Pelmora is a desktop program for a Korean community pharmacy. The pharmacist\n"
  "types in a paper prescription and Pelmora prices it under the national health\n"
  "insurance pharmacy fee schedule: every fee item, the drug costs by coverage and\n"
  "route, the shares of the insurer, the veterans' agency, the support fund and\n"
  "the patient, and the amount to collect. Prescriptions are kept in a local\n"
  "SQLite file; reference data comes from a central SQL Server or from local\n"
  "reference files.\n"
  "\n"
  "The package holds the window program pelmora and its command-line tools.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Hangul needs a Korean font; the central server is reached through FreeTDS's
# ODBC driver; Qt's own buttons and dialogs speak Korean with its translations.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-nanum | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "tdsodbc, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_STRIP_FILES ON)
set(CPACK_THREADS 0)
include(CPack)
