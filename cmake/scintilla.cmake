# The editor component (Scintilla 5.3.3) and the lexer library (Lexilla
# 5.2.2) from Debian's scite source package, built static for the Windows
# configuration only. Of Lexilla we take lexlib and the two lexers the
# program offers; src/Lexilla.cxx, which pulls in every lexer, is left out:
# editor/win/lexers.cpp is the catalogue.
if(TARGET scintilla)
  return()
endif()
trelk_require_dep(scite-5.3.3)

set(sci_dir ${TRELK_DEPS}/scite-5.3.3/scintilla)
set(lex_dir ${TRELK_DEPS}/scite-5.3.3/lexilla)

file(GLOB sci_sources ${sci_dir}/src/*.cxx)
list(APPEND sci_sources ${sci_dir}/win32/PlatWin.cxx
  ${sci_dir}/win32/ScintillaWin.cxx ${sci_dir}/win32/HanjaDic.cxx)
add_library(scintilla STATIC ${sci_sources})
target_include_directories(scintilla PRIVATE ${sci_dir}/src)
target_include_directories(scintilla SYSTEM PUBLIC ${sci_dir}/include)
target_compile_definitions(scintilla PRIVATE NDEBUG)
# the component includes the whole of windows.h (OLE drag and drop)
target_compile_options(scintilla PRIVATE -w -O2 -U WIN32_LEAN_AND_MEAN)
set_target_properties(scintilla PROPERTIES CXX_STANDARD 17)
target_link_libraries(scintilla PUBLIC gdi32 user32 imm32 ole32 uuid oleaut32
  msimg32)

file(GLOB lexlib_sources ${lex_dir}/lexlib/*.cxx)
add_library(lexilla STATIC ${lexlib_sources}
  ${lex_dir}/lexers/LexLua.cxx ${lex_dir}/lexers/LexAsm.cxx)
target_include_directories(lexilla SYSTEM PUBLIC ${lex_dir}/include
  ${lex_dir}/lexlib)
target_compile_definitions(lexilla PRIVATE NDEBUG)
target_compile_options(lexilla PRIVATE -w -O2)
set_target_properties(lexilla PROPERTIES CXX_STANDARD 17)
target_link_libraries(lexilla PUBLIC scintilla)
