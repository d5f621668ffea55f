# PCRE2's 16-bit library (UTF-16, as the hosts' text), without JIT, built
# from Debian's source package that scripts/setup unpacks into build/deps/.
# Every build compiles it with the same configuration, so every build's
# expressions give the same answers.
set(VORLANE_PCRE2_DIR "${PROJECT_SOURCE_DIR}/build/deps/pcre2" CACHE PATH "PCRE2's unpacked source package")
if(NOT EXISTS "${VORLANE_PCRE2_DIR}/src/pcre2_match.c")
  message(FATAL_ERROR "PCRE2's source is not in ${VORLANE_PCRE2_DIR}: run scripts/setup")
endif()

set(pcre2_gen "${CMAKE_BINARY_DIR}/pcre2")
configure_file("${VORLANE_PCRE2_DIR}/src/pcre2.h.generic" "${pcre2_gen}/pcre2.h" COPYONLY)
configure_file("${VORLANE_PCRE2_DIR}/src/pcre2_chartables.c.dist" "${pcre2_gen}/pcre2_chartables.c" COPYONLY)
# The build's own configuration instead of a configure step: the limits here
# are only the library's defaults; transform.cpp sets its own on every match.
file(WRITE "${pcre2_gen}/config.h.in" [=[
#define HAVE_MEMMOVE 1
#define HAVE_STDINT_H 1
#define HAVE_INTTYPES_H 1
#define HAVE_LIMITS_H 1
#define HAVE_STRING_H 1
#define HAVE_STDLIB_H 1
#define SUPPORT_PCRE2_16 1
#define SUPPORT_UNICODE 1
#define LINK_SIZE 2
#define HEAP_LIMIT 20000000
#define MATCH_LIMIT 10000000
#define MATCH_LIMIT_DEPTH MATCH_LIMIT
#define MAX_NAME_COUNT 10000
#define MAX_NAME_SIZE 32
#define NEWLINE_DEFAULT 2
#define PARENS_NEST_LIMIT 250
]=])
configure_file("${pcre2_gen}/config.h.in" "${pcre2_gen}/config.h" COPYONLY)

set(pcre2_sources auto_possess compile config context error extuni find_bracket maketables match match_data
  newline ord2utf pattern_info script_run string_utils study substitute substring tables ucd valid_utf xclass)
list(TRANSFORM pcre2_sources PREPEND "${VORLANE_PCRE2_DIR}/src/pcre2_")
list(TRANSFORM pcre2_sources APPEND ".c")
# With it, our reading of its Unicode tables (macros/unicode_case.c), which
# needs its internal header.
add_library(vorlane_pcre2 STATIC ${pcre2_sources} "${pcre2_gen}/pcre2_chartables.c"
  "${PROJECT_SOURCE_DIR}/macros/unicode_case.c")
target_include_directories(vorlane_pcre2 PUBLIC "${pcre2_gen}" PRIVATE "${VORLANE_PCRE2_DIR}/src" "${PROJECT_SOURCE_DIR}")
target_compile_definitions(vorlane_pcre2 PUBLIC PCRE2_STATIC PCRE2_CODE_UNIT_WIDTH=16 PRIVATE HAVE_CONFIG_H)
# Its own code, not ours: built as its authors build it, without our warnings
# (ours, in the same target, with them).
set_source_files_properties(${pcre2_sources} "${pcre2_gen}/pcre2_chartables.c" PROPERTIES COMPILE_OPTIONS -w)
target_compile_options(vorlane_pcre2 PRIVATE ${VORLANE_WARNINGS})
set_target_properties(vorlane_pcre2 PROPERTIES C_STANDARD 99)
