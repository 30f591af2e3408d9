# The Zydis decoder (Debian source package zydis, Zydis 4), built from its
# src/ with our own rules: a static library `zydis_decoder`, decoder only,
# no formatter, encoder or AVX-512/KNC tables. Used as the reference decoder
# by the disassembler's tests and benchmarks (and reusable by the assembler's).
#
# Zycore, which Zydis includes, is a header-only need here; its headers come
# from the Debian package libzycore-dev and are copied into a private folder
# of the build tree so that the cross build never sees /usr/include.
if(TARGET zydis_decoder)
  return()
endif()
trelk_require_dep(zydis-4.0.0)

set(TRELK_ZYCORE_HEADERS /usr/include/Zycore CACHE PATH "Zycore headers (libzycore-dev)")
set(zycore_inc ${CMAKE_BINARY_DIR}/zycore-include)
if(NOT EXISTS ${TRELK_ZYCORE_HEADERS}/Zycore.h)
  message(FATAL_ERROR "${TRELK_ZYCORE_HEADERS} is missing: run tools/setup.sh (libzycore-dev)")
endif()
if(NOT EXISTS ${zycore_inc}/Zycore/Zycore.h)
  file(COPY ${TRELK_ZYCORE_HEADERS} DESTINATION ${zycore_inc})
endif()

set(zydis_dir ${TRELK_DEPS}/zydis-4.0.0)
add_library(zydis_decoder STATIC EXCLUDE_FROM_ALL
  ${zydis_dir}/src/MetaInfo.c
  ${zydis_dir}/src/Mnemonic.c
  ${zydis_dir}/src/Register.c
  ${zydis_dir}/src/Segment.c
  ${zydis_dir}/src/SharedData.c
  ${zydis_dir}/src/String.c
  ${zydis_dir}/src/Utils.c
  ${zydis_dir}/src/Zydis.c
  ${zydis_dir}/src/Decoder.c
  ${zydis_dir}/src/DecoderData.c)
target_include_directories(zydis_decoder SYSTEM PUBLIC ${zydis_dir}/include ${zycore_inc})
target_include_directories(zydis_decoder PRIVATE ${zydis_dir}/src)
target_compile_definitions(zydis_decoder PUBLIC
  ZYDIS_STATIC_BUILD ZYCORE_STATIC_BUILD
  ZYDIS_DISABLE_FORMATTER ZYDIS_DISABLE_ENCODER
  ZYDIS_DISABLE_AVX512 ZYDIS_DISABLE_KNC)
set_target_properties(zydis_decoder PROPERTIES C_STANDARD 99 LINKER_LANGUAGE C)
