# Zydis 4 (decoder and encoder; `zydis_decoder' names the same library for
# the disassembler's reference tests), built from the Debian source package's src/
# by us: its own CMakeLists wants the Zycore submodule, which the package
# leaves empty. Zycore is header-only for what Zydis uses; its headers come
# from libzycore-dev and are copied into a private folder so that the cross
# build never sees /usr/include.
if(NOT TARGET zydis)
  trelk_require_dep(zydis-4.0.0)
  set(zydis_dir ${TRELK_DEPS}/zydis-4.0.0)
  set(zycore_inc ${CMAKE_BINARY_DIR}/zycore-include)
  if(NOT EXISTS ${zycore_inc}/Zycore/Defines.h)
    if(NOT EXISTS /usr/include/Zycore/Defines.h)
      message(FATAL_ERROR "Zycore headers missing: install libzycore-dev (tools/setup.sh)")
    endif()
    file(COPY /usr/include/Zycore DESTINATION ${zycore_inc})
  endif()
  file(GLOB zydis_c ${zydis_dir}/src/*.c)
  list(FILTER zydis_c EXCLUDE REGEX "/(Formatter[A-Za-z]*|String|Disassembler)\\.c$")
  add_library(zydis STATIC ${zydis_c})
  target_include_directories(zydis SYSTEM PUBLIC ${zydis_dir}/include ${zycore_inc})
  target_include_directories(zydis PRIVATE ${zydis_dir}/src)
  target_compile_definitions(zydis PUBLIC ZYDIS_STATIC_BUILD ZYCORE_STATIC_BUILD
                             ZYDIS_DISABLE_FORMATTER)
  set_target_properties(zydis PROPERTIES C_STANDARD 99 LINKER_LANGUAGE C)
  # Its tables are packed structures read through plain pointers.
  if(TRELK_NATIVE AND TRELK_SANITIZE)
    target_compile_options(zydis PRIVATE -fno-sanitize=alignment)
  endif()
endif()
if(NOT TARGET zydis_decoder)
  add_library(zydis_decoder ALIAS zydis)
endif()
