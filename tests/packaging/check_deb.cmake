# Builds the Debian package from the build tree with cpack and checks what Debian's own tools check:
# the copyright file in the machine-readable format, the changelog of this version, the
# description's lines within 80 columns, and lintian without an error or a warning. Without
# lintian, or without what cpack needs for a package, the test says why and is skipped.
# Called with -DBUILD_DIR -DOUT -DVERSION and the tools' paths (CPACK, DPKG_DEB, DPKG_SHLIBDEPS,
# FILE, GZIP, LINTIAN).
function(fail)
  string(JOIN "" text ${ARGN})
  message(FATAL_ERROR "${text}")
endfunction()
function(skip reason)
  message("Skipped: ${reason}")
endfunction()

foreach(tool DPKG_DEB DPKG_SHLIBDEPS FILE GZIP)
  if(NOT ${tool} OR ${tool} MATCHES "NOTFOUND$")
    skip("${tool} is not installed, so no package can be built (scripts/install-deps.sh installs it)")
    return()
  endif()
endforeach()

file(REMOVE_RECURSE "${OUT}")
execute_process(COMMAND "${CPACK}" --config "${BUILD_DIR}/CPackConfig.cmake" -G DEB -B "${OUT}"
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT result EQUAL 0)
  fail("cpack failed: ${out}")
endif()
file(GLOB debs "${OUT}/*.deb")
list(LENGTH debs count)
if(NOT count EQUAL 1)
  fail("cpack made ${count} packages: ${debs}")
endif()
cmake_path(GET debs FILENAME name)
if(NOT name MATCHES "^tessalundrix_${VERSION}_[a-z0-9]+\\.deb$")
  fail("unexpected package name ${name}")
endif()

# The description: every line within 80 columns, as Debian's tools show it.
execute_process(COMMAND "${DPKG_DEB}" --field "${debs}" Description RESULT_VARIABLE result OUTPUT_VARIABLE description)
if(NOT result EQUAL 0)
  fail("dpkg-deb cannot read the control file")
endif()
string(REPLACE "\n" ";" lines "${description}")
foreach(line ${lines})
  string(LENGTH " ${line}" width)
  if(width GREATER 80)
    fail("a description line is ${width} columns wide: ${line}")
  endif()
endforeach()

# The documents Debian requires of every package.
set(root "${OUT}/root")
execute_process(COMMAND "${DPKG_DEB}" -x "${debs}" "${root}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  fail("dpkg-deb cannot unpack the package")
endif()
set(doc "${root}/usr/share/doc/tessalundrix")
if(NOT EXISTS "${doc}/copyright")
  fail("the package has no /usr/share/doc/tessalundrix/copyright")
endif()
file(STRINGS "${doc}/copyright" format LIMIT_COUNT 1)
if(NOT format STREQUAL "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/")
  fail("the copyright file is not in the machine-readable format: ${format}")
endif()
if(NOT EXISTS "${doc}/changelog.Debian.gz")
  fail("the package has no /usr/share/doc/tessalundrix/changelog.Debian.gz")
endif()
execute_process(COMMAND "${GZIP}" -dc "${doc}/changelog.Debian.gz" RESULT_VARIABLE result OUTPUT_VARIABLE changelog)
if(NOT result EQUAL 0 OR NOT changelog MATCHES "^tessalundrix \\(${VERSION}\\) ")
  fail("the changelog's latest entry is not of version ${VERSION}")
endif()

if(NOT LINTIAN OR LINTIAN MATCHES "NOTFOUND$")
  skip("lintian is not installed (scripts/install-deps.sh installs it)")
  file(REMOVE_RECURSE "${OUT}")
  return()
endif()
# lintian leaves some of its temporary folders behind: they go with the rest of OUT.
file(MAKE_DIRECTORY "${OUT}/tmp")
execute_process(COMMAND "${CMAKE_COMMAND}" -E env "TMPDIR=${OUT}/tmp" "${LINTIAN}" --tag-display-limit 0 "${debs}"
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
string(REGEX MATCHALL "(^|\n)[EW]: [^\n]*" tags "${out}")
if(tags OR NOT result EQUAL 0)
  fail("lintian (exit ${result}) reports:\n${out}${err}")
endif()
# The package and its staging folders are large: kept (in the build tree) only when a check fails.
file(REMOVE_RECURSE "${OUT}")
