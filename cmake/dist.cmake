cmake_minimum_required(VERSION 3.25)
# Lays out the package folders and their zips: vorlane/ for FAR 1.x (when DLL
# is given) and vorlane-far3-ARCH/ for Far 3. Text files get CR LF line ends,
# as Windows users' editors expect.

function(copy_crlf from to)
  file(READ ${from} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  string(REPLACE "@VERSION@" "${VERSION}" text "${text}")
  string(REPLACE "@ARCH@" "${FAR3_ARCH}" text "${text}")
  file(WRITE ${to} "${text}")
endfunction()

function(zip folder name)
  set(zip ${OUT}/${name})
  file(REMOVE ${zip})
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip ${folder}
    WORKING_DIRECTORY ${OUT} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "could not write ${zip}")
  endif()
  message(STATUS "package: ${OUT}/${folder} and ${zip}")
endfunction()

if(DLL)
  set(dir ${OUT}/vorlane)
  file(REMOVE_RECURSE ${dir})
  file(MAKE_DIRECTORY ${dir})
  file(COPY ${DLL} ${EXE} DESTINATION ${dir})
  copy_crlf(${SOURCE}/package/vorlane.mac ${dir}/vorlane.mac)
  copy_crlf(${SOURCE}/package/readme.txt ${dir}/readme.txt)
  # Language files are copied byte for byte: the Russian one is in code page 866.
  file(COPY ${SOURCE}/package/vorlane_eng.lng ${SOURCE}/package/vorlane_rus.lng DESTINATION ${dir})
  zip(vorlane vorlane-${VERSION}-win32.zip)
endif()

# The Far 3 package: its own macro file (it marks field stops), language and
# help files in UTF-8 with a byte-order mark, as Far's own.
set(dir ${OUT}/vorlane-far3-${FAR3_ARCH})
file(REMOVE_RECURSE ${dir})
file(MAKE_DIRECTORY ${dir})
file(COPY ${FAR3_DLL} DESTINATION ${dir})
copy_crlf(${SOURCE}/package/far3/vorlane.mac ${dir}/vorlane.mac)
copy_crlf(${SOURCE}/package/far3/readme.txt ${dir}/readme.txt)
# Help files likewise; Far picks the one whose .Language= is its own.
file(COPY ${SOURCE}/package/far3/vorlane_eng.lng ${SOURCE}/package/far3/vorlane_rus.lng
  ${SOURCE}/package/far3/vorlane_eng.hlf ${SOURCE}/package/far3/vorlane_rus.hlf
  DESTINATION ${dir})
zip(vorlane-far3-${FAR3_ARCH} vorlane-${VERSION}-far3-${FAR3_ARCH}.zip)
