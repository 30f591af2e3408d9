# The download for Windows users: TRELK_DIST_ZIP, a zip of one folder
# trelk-<version>/ holding trelk.exe (stripped), the examples with their
# start.t beside it (the tour in "Main Menu" runs them from the current
# folder) and the manual as HTML pages under manual/. Every Windows build
# makes it, so each build also checks that trelk.exe needs no DLL a plain
# Windows lacks.
set(TRELK_DIST_DIR ${CMAKE_BINARY_DIR}/dist CACHE PATH "Folder of the Windows download")
set(TRELK_DIST_ZIP ${TRELK_DIST_DIR}/trelk-${PROJECT_VERSION}-win32.zip)

# DLLs of Windows itself (msvcrt.dll included: it ships with every
# version); anything else would have to travel with the program.
set(TRELK_SYSTEM_DLLS
  advapi32.dll bcrypt.dll comctl32.dll comdlg32.dll crypt32.dll dwmapi.dll
  gdi32.dll gdiplus.dll imm32.dll kernel32.dll msimg32.dll msvcrt.dll
  ntdll.dll ole32.dll oleaut32.dll riched20.dll secur32.dll shell32.dll
  shlwapi.dll user32.dll usp10.dll uxtheme.dll version.dll winmm.dll
  winspool.drv ws2_32.dll)
list(JOIN TRELK_SYSTEM_DLLS "," dist_allowed)

# Debian's Python, which has python3-markdown-it (another python3 on the
# PATH may not).
find_program(TRELK_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
find_program(TRELK_PYTHON python3)
execute_process(COMMAND ${TRELK_PYTHON} -c "import markdown_it"
                RESULT_VARIABLE dist_rc OUTPUT_QUIET ERROR_QUIET)
if(NOT dist_rc EQUAL 0)
  message(FATAL_ERROR "The manual of the Windows download needs Python with "
          "python3-markdown-it (${TRELK_PYTHON}): run tools/setup.sh")
endif()
foreach(tool OBJDUMP STRIP)
  if(NOT CMAKE_${tool})
    message(FATAL_ERROR "The Windows download needs the cross binutils' ${tool}")
  endif()
endforeach()

file(GLOB dist_docs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/*.md)
file(GLOB dist_examples CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/examples/*.t)
set(dist_stage ${CMAKE_BINARY_DIR}/dist-stage/trelk-${PROJECT_VERSION})
set(dist_tools
  ${CMAKE_SOURCE_DIR}/cmake/check-imports.cmake
  ${CMAKE_SOURCE_DIR}/tools/manual.py
  ${CMAKE_SOURCE_DIR}/tools/zipdir.py)

# The folder is made afresh each time, so nothing removed from the
# sources lingers in the zip. Stripping would stamp the current time into
# the PE header; a fixed stamp keeps the zip the same for the same build.
add_custom_command(OUTPUT ${TRELK_DIST_ZIP}
  COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:trelk> -DOBJDUMP=${CMAKE_OBJDUMP}
          -DALLOWED=${dist_allowed} -P ${CMAKE_SOURCE_DIR}/cmake/check-imports.cmake
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${dist_stage}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${dist_stage} ${TRELK_DIST_DIR}
  COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0
          ${CMAKE_STRIP} -o ${dist_stage}/trelk.exe $<TARGET_FILE:trelk>
  COMMAND ${CMAKE_COMMAND} -E copy ${dist_examples} ${dist_stage}
  COMMAND ${TRELK_PYTHON} ${CMAKE_SOURCE_DIR}/tools/manual.py
          ${CMAKE_SOURCE_DIR}/docs ${dist_stage}/manual ${PROJECT_VERSION}
  COMMAND ${TRELK_PYTHON} ${CMAKE_SOURCE_DIR}/tools/zipdir.py ${dist_stage} ${TRELK_DIST_ZIP}
  DEPENDS trelk ${dist_docs} ${dist_examples} ${dist_tools}
  COMMENT "Packing ${TRELK_DIST_ZIP}"
  VERBATIM)
add_custom_target(dist ALL DEPENDS ${TRELK_DIST_ZIP})
