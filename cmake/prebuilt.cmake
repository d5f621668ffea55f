# Third-party libraries (PCRE2, and GoogleTest for the Windows builds) are
# pinned source that never changes between clones: each is built once per
# machine for a compiler and its options, into a folder named by a hash of
# everything that goes into it, and every later configure of any clone links
# that build. (Compiling them in each of four trees took a sixth of the test
# command's CPU time.)
# The machine's folder for them (scripts/setup puts PCRE2's source there too).
if(DEFINED ENV{VORLANE_CACHE})
  set(vorlane_cache_default "$ENV{VORLANE_CACHE}")
elseif(DEFINED ENV{XDG_CACHE_HOME})
  set(vorlane_cache_default "$ENV{XDG_CACHE_HOME}/vorlane")
else()
  set(vorlane_cache_default "$ENV{HOME}/.cache/vorlane")
endif()
set(VORLANE_CACHE "${vorlane_cache_default}" CACHE PATH
  "the machine's folder of third-party sources and of their builds per configuration")
set(VORLANE_DEPS_CACHE "${VORLANE_CACHE}/deps")

# vorlane_prebuilt(NAME IDENTITY OUT_DIR_VAR [-DVAR=VALUE...]): the folder
# holding NAME built by cmake/deps for this tree's compilers and options.
# IDENTITY is the text that tells its source's version; the extra arguments go
# to its configure and into the hash.
function(vorlane_prebuilt name identity out_var)
  string(TOUPPER "${CMAKE_BUILD_TYPE}" config)
  set(args
    -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
    -DCMAKE_C_COMPILER=${CMAKE_C_COMPILER}
    -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}
    "-DCMAKE_C_FLAGS=${CMAKE_C_FLAGS}"
    "-DCMAKE_CXX_FLAGS=${CMAKE_CXX_FLAGS}"
    "-DCMAKE_C_FLAGS_${config}=${CMAKE_C_FLAGS_${config}}"
    "-DCMAKE_CXX_FLAGS_${config}=${CMAKE_CXX_FLAGS_${config}}"
    ${ARGN})
  set(toolchain "")
  if(CMAKE_TOOLCHAIN_FILE)
    list(APPEND args "-DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}")
    file(READ "${CMAKE_TOOLCHAIN_FILE}" toolchain)
  endif()
  file(READ "${PROJECT_SOURCE_DIR}/cmake/deps/CMakeLists.txt" recipe)
  # The clone's own paths stay out of the hash, so every clone finds it.
  set(hashed "${args}")
  list(FILTER hashed EXCLUDE REGEX "^-DVORLANE_.*_DIR=|^-DCMAKE_TOOLCHAIN_FILE=")
  string(SHA256 key "${name}|${identity}|${recipe}|${toolchain}|${hashed}|${CMAKE_C_COMPILER_VERSION}|${CMAKE_CXX_COMPILER_VERSION}")
  string(SUBSTRING "${key}" 0 16 key)
  set(dir "${VORLANE_DEPS_CACHE}/${name}-${key}")
  if(NOT EXISTS "${dir}/complete")
    message(STATUS "Building ${name} once for this configuration into ${dir}")
    string(RANDOM LENGTH 8 tag)
    set(work "${VORLANE_DEPS_CACHE}/work-${name}-${key}-${tag}")
    file(REMOVE_RECURSE "${work}")
    file(MAKE_DIRECTORY "${work}")
    execute_process(
      COMMAND ${CMAKE_COMMAND} -S "${PROJECT_SOURCE_DIR}/cmake/deps" -B "${work}/build" -G "${CMAKE_GENERATOR}"
        -DVORLANE_DEP=${name} "-DCMAKE_INSTALL_PREFIX=${work}/out" ${args}
      COMMAND_ECHO NONE OUTPUT_FILE "${work}/configure.log" ERROR_FILE "${work}/configure.log"
      RESULT_VARIABLE rc)
    if(rc EQUAL 0)
      execute_process(COMMAND ${CMAKE_COMMAND} --build "${work}/build" --parallel 2
        OUTPUT_FILE "${work}/build.log" ERROR_FILE "${work}/build.log" RESULT_VARIABLE rc)
    endif()
    if(rc EQUAL 0)
      execute_process(COMMAND ${CMAKE_COMMAND} --install "${work}/build"
        OUTPUT_FILE "${work}/install.log" ERROR_FILE "${work}/install.log" RESULT_VARIABLE rc)
    endif()
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "Building ${name} failed: see the logs in ${work}")
    endif()
    file(WRITE "${work}/out/complete" "${name} ${identity}\n")
    # Moved into place whole; another configure that got there first wins
  # (a folder is not renamed onto one that holds files).
    file(RENAME "${work}/out" "${dir}" RESULT moved)
    file(REMOVE_RECURSE "${work}")
    if(NOT EXISTS "${dir}/complete")
      message(FATAL_ERROR "Building ${name}: ${dir} could not be made (${moved})")
    endif()
  endif()
  set(${out_var} "${dir}" PARENT_SCOPE)
endfunction()
