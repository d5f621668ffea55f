cmake_minimum_required(VERSION 3.25)
# Lays out the package folder and its zip. Text files get CR LF line ends,
# as Windows users' editors expect.
set(dir ${OUT}/vorlane)
file(REMOVE_RECURSE ${dir})
file(MAKE_DIRECTORY ${dir})
file(COPY ${DLL} ${EXE} DESTINATION ${dir})

function(copy_crlf from to)
  file(READ ${from} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  string(REPLACE "@VERSION@" "${VERSION}" text "${text}")
  file(WRITE ${to} "${text}")
endfunction()

copy_crlf(${SOURCE}/package/vorlane.mac ${dir}/vorlane.mac)
copy_crlf(${SOURCE}/package/readme.txt ${dir}/readme.txt)
# Language files are copied byte for byte: the Russian one is in code page 866.
file(COPY ${SOURCE}/package/vorlane_eng.lng ${SOURCE}/package/vorlane_rus.lng DESTINATION ${dir})

set(zip ${OUT}/vorlane-${VERSION}-win32.zip)
file(REMOVE ${zip})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip vorlane
  WORKING_DIRECTORY ${OUT} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "could not write ${zip}")
endif()
message(STATUS "package: ${dir} and ${zip}")
