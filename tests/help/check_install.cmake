# Installs the build into a fresh prefix and checks the layout the programs rely on: the three
# programs in bin/, the help pages where a program in bin/ looks for them (RELATIVE to bin/,
# ../share/tessalundrix/help by default). Called with -DBUILD_DIR=... -DPREFIX=... -DBIN=...
# -DRELATIVE=... -DHELP_SOURCE_DIR=...
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(program TessalundrixPro TXViewer txscan)
  if(NOT EXISTS "${PREFIX}/${BIN}/${program}")
    message(FATAL_ERROR "${program} is not installed in ${BIN}/")
  endif()
endforeach()
file(GLOB pages RELATIVE "${HELP_SOURCE_DIR}" "${HELP_SOURCE_DIR}/*.htm" "${HELP_SOURCE_DIR}/*.css")
list(LENGTH pages count)
if(count EQUAL 0)
  message(FATAL_ERROR "no help pages in ${HELP_SOURCE_DIR}")
endif()
foreach(page ${pages})
  if(NOT EXISTS "${PREFIX}/${BIN}/${RELATIVE}/${page}")
    message(FATAL_ERROR "${page} is not installed where the programs look for it")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
