# One INTERFACE target carries the language standard, the warnings, the
# sanitizer flags and the Qt hygiene defines for every target of the project.
add_library(pelmora_common INTERFACE)
target_compile_features(pelmora_common INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(pelmora_common INTERFACE -Wall -Wextra -Wpedantic)
if(PELMORA_WERROR)
  target_compile_options(pelmora_common INTERFACE -Werror)
endif()
if(PELMORA_SANITIZE)
  target_compile_options(pelmora_common INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                  -fno-sanitize-recover=undefined)
  target_link_options(pelmora_common INTERFACE -fsanitize=address,undefined)
else()
  # Optimised builds check the lengths of the C library's copies where they
  # are known (the package's hardening); a Debug build has no optimiser to
  # know them.
  target_compile_definitions(pelmora_common INTERFACE $<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
endif()
target_compile_definitions(pelmora_common INTERFACE
  QT_NO_FOREACH QT_NO_URL_CAST_FROM_STRING QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_DISABLE_DEPRECATED_UP_TO=0x060000)
target_include_directories(pelmora_common INTERFACE ${PROJECT_SOURCE_DIR}/src)

# pelmora_library(NAME [LIBS ...]): a static library of every .cpp in the
# current folder.
function(pelmora_library name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC pelmora_common ${ARG_LIBS})
endfunction()

# pelmora_tests(LIBS ...): one test program per Test*.cpp in the current
# folder, each registered with CTest under its own name.
function(pelmora_tests)
  cmake_parse_arguments(ARG "" "" "LIBS;ENV" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/Test*.cpp)
  foreach(src ${tests})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE pelmora_common ${ARG_LIBS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_compile_definitions(${name} PRIVATE
      PELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}" PELMORA_BINARY_DIR="${PROJECT_BINARY_DIR}")
    add_test(NAME ${name} COMMAND ${name})
    if(ARG_ENV)
      set_tests_properties(${name} PROPERTIES ENVIRONMENT "${ARG_ENV}")
    endif()
  endforeach()
endfunction()

if(PELMORA_FUZZ)
  # Coverage instrumentation and sanitizers for every library the fuzz targets link.
  target_compile_options(pelmora_common INTERFACE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  target_link_options(pelmora_common INTERFACE -fsanitize=address,undefined)
endif()
