# Installs the build into a fresh prefix and checks what a desktop reads there: the desktop
# entries (desktop-file-validate), the programs and icons they name, the MIME package (compiled by
# update-mime-database, *.txf must map to the viewer's type), every theme icon at its size, the
# AppStream metadata (appstreamcli) and the man pages.
# Called with -DBUILD_DIR -DPREFIX -DBIN -DDATA -DMAN -DSIZES=16,22,... and the tools' paths.
function(fail)
  string(JOIN "" text ${ARGN})
  message(FATAL_ERROR "${text}")
endfunction()
function(need path)
  if(NOT EXISTS "${PREFIX}/${path}")
    fail("${path} is not installed")
  endif()
endfunction()
foreach(tool DESKTOP_FILE_VALIDATE APPSTREAMCLI UPDATE_MIME_DATABASE)
  if(NOT ${tool} OR ${tool} MATCHES "NOTFOUND$")
    fail("${tool}: the tool is missing (scripts/install-deps.sh installs it)")
  endif()
endforeach()

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  fail("cmake --install failed: ${result}")
endif()

foreach(program TessalundrixPro TXViewer txscan)
  need("${BIN}/${program}")
endforeach()

# The desktop entries: valid without a warning, each running an installed program with an installed icon.
set(apps "${DATA}/applications")
foreach(entry tessalundrixpro txviewer)
  need("${apps}/${entry}.desktop")
  execute_process(COMMAND "${DESKTOP_FILE_VALIDATE}" "${PREFIX}/${apps}/${entry}.desktop"
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0 OR out MATCHES "error|warning")
    fail("desktop-file-validate ${entry}.desktop: ${out}")
  endif()
  file(STRINGS "${PREFIX}/${apps}/${entry}.desktop" exec REGEX "^Exec=")
  string(REGEX REPLACE "^Exec=([^ ]+).*" "\\1" exec "${exec}")
  need("${BIN}/${exec}")
  file(STRINGS "${PREFIX}/${apps}/${entry}.desktop" icon REGEX "^Icon=")
  string(REGEX REPLACE "^Icon=" "" icon "${icon}")
  need("${DATA}/icons/hicolor/scalable/apps/${icon}.svg")
  file(STRINGS "${PREFIX}/${apps}/${entry}.desktop" categories REGEX "^Categories=.*System;")
  if(NOT categories)
    fail("${entry}.desktop is not in the System menu")
  endif()
endforeach()
file(READ "${PREFIX}/${apps}/txviewer.desktop" viewer)
if(NOT viewer MATCHES "\nMimeType=application/x-tessalundrix;\n")
  fail("the viewer's entry does not open exploration files")
endif()

# The MIME package compiles, *.txf is the viewer's type, and the type's icon is installed.
need("${DATA}/mime/packages/tessalundrix.xml")
execute_process(COMMAND "${UPDATE_MIME_DATABASE}" "${PREFIX}/${DATA}/mime" RESULT_VARIABLE result
                OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT result EQUAL 0)
  fail("update-mime-database: ${out}")
endif()
file(STRINGS "${PREFIX}/${DATA}/mime/globs2" globs REGEX ":application/x-tessalundrix:\\*\\.txf$")
file(STRINGS "${PREFIX}/${DATA}/mime/icons" icons REGEX "^application/x-tessalundrix:")
if(NOT globs OR NOT icons STREQUAL "application/x-tessalundrix:application-x-tessalundrix")
  fail("the MIME database does not map *.txf to application/x-tessalundrix with its icon")
endif()

# Every icon at every size, as a PNG of that size (the width and height of its IHDR chunk).
string(REPLACE "," ";" SIZES "${SIZES}")
foreach(icon apps/tessalundrixpro apps/txviewer mimetypes/application-x-tessalundrix)
  need("${DATA}/icons/hicolor/scalable/${icon}.svg")
  foreach(size ${SIZES})
    set(png "${DATA}/icons/hicolor/${size}x${size}/${icon}.png")
    need("${png}")
    file(READ "${PREFIX}/${png}" header LIMIT 24 HEX)
    math(EXPR hex "${size}" OUTPUT_FORMAT HEXADECIMAL)
    string(REGEX REPLACE "^0x" "" hex "${hex}")
    string(LENGTH "${hex}" length)
    math(EXPR pad "8 - ${length}")
    string(REPEAT "0" ${pad} zeros)
    if(NOT header STREQUAL "89504e470d0a1a0a0000000d49484452${zeros}${hex}${zeros}${hex}")
      fail("${png} is not a ${size} x ${size} PNG image")
    endif()
  endforeach()
endforeach()

# The AppStream metadata passes the validator and launches an installed desktop entry.
set(metainfo "${DATA}/metainfo/com.ombrelith.TessalundrixPro.metainfo.xml")
need("${metainfo}")
execute_process(COMMAND "${APPSTREAMCLI}" validate --no-net "${PREFIX}/${metainfo}"
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT result EQUAL 0)
  fail("appstreamcli validate: ${out}")
endif()
file(STRINGS "${PREFIX}/${metainfo}" launchable REGEX "<launchable type=\"desktop-id\">")
string(REGEX REPLACE ".*>(.*)</launchable>.*" "\\1" launchable "${launchable}")
need("${apps}/${launchable}")

# A man page per program (compressed or not).
foreach(page txscan TessalundrixPro TXViewer)
  if(NOT EXISTS "${PREFIX}/${MAN}/man1/${page}.1.gz" AND NOT EXISTS "${PREFIX}/${MAN}/man1/${page}.1")
    fail("the man page ${page}(1) is not installed")
  endif()
endforeach()

file(REMOVE_RECURSE "${PREFIX}")
