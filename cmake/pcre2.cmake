# PCRE2's 16-bit library, built from Debian's source package that
# scripts/setup unpacks, once per machine and configuration
# (cmake/prebuilt.cmake; the recipe with its fixed configuration is in
# cmake/deps/). Every build uses the same configuration, so every build's
# expressions give the same answers.
include(${CMAKE_CURRENT_LIST_DIR}/prebuilt.cmake)
set(VORLANE_PCRE2_DIR "${VORLANE_CACHE}/src/pcre2-10.42-1" CACHE PATH "PCRE2's unpacked source package")
if(NOT EXISTS "${VORLANE_PCRE2_DIR}/src/pcre2_match.c")
  message(FATAL_ERROR "PCRE2's source is not in ${VORLANE_PCRE2_DIR}: run scripts/setup")
endif()
file(READ "${VORLANE_PCRE2_DIR}/debian/changelog" pcre2_identity LIMIT 200)
set(pcre2_options "")
if(VORLANE_FUZZ)
  # The fuzzers' coverage counters reach into the engine they drive.
  set(pcre2_options -fsanitize=fuzzer-no-link)
endif()
vorlane_prebuilt(pcre2 "${pcre2_identity}" pcre2_dir "-DVORLANE_PCRE2_DIR=${VORLANE_PCRE2_DIR}"
  "-DVORLANE_DEP_OPTIONS=${pcre2_options}")
add_library(vorlane_pcre2_engine STATIC IMPORTED)
set_target_properties(vorlane_pcre2_engine PROPERTIES IMPORTED_LOCATION "${pcre2_dir}/lib/libpcre2-16.a"
  INTERFACE_INCLUDE_DIRECTORIES "${pcre2_dir}/include"
  INTERFACE_COMPILE_DEFINITIONS "PCRE2_STATIC;PCRE2_CODE_UNIT_WIDTH=16")

# With it, our reading of its Unicode tables, which needs its internal header.
add_library(vorlane_pcre2 STATIC "${PROJECT_SOURCE_DIR}/macros/unicode_case.c")
target_link_libraries(vorlane_pcre2 PUBLIC vorlane_pcre2_engine)
target_include_directories(vorlane_pcre2 PRIVATE "${pcre2_dir}/internal" "${VORLANE_PCRE2_DIR}/src" "${PROJECT_SOURCE_DIR}")
target_compile_definitions(vorlane_pcre2 PRIVATE HAVE_CONFIG_H)
target_compile_options(vorlane_pcre2 PRIVATE ${VORLANE_WARNINGS})
set_target_properties(vorlane_pcre2 PROPERTIES C_STANDARD 99)
