# PCRE 8.39 (Debian source package pcre3, its security fixes applied by
# dpkg-source, and our own fixes under patches/pcre3), the 8-bit library
# only, built static by hand: the generic config.h and pcre.h and the
# distributed character tables are copied into the build tree. The JIT
# compiler (pcre_jit_compile.c, which includes sljit) is built for x86 in
# both configurations; the matcher decides per pattern whether to use it.
# Users see PCRE_STATIC through the target.
include(${CMAKE_CURRENT_LIST_DIR}/patches.cmake)
if(TARGET pcre)
  return()
endif()
trelk_require_dep(pcre3-8.39)

# The patches under patches/pcre3 are applied in name order to a copy of the
# sources in the build tree, redone whenever a patch changes.
file(GLOB pcre_patches ${CMAKE_SOURCE_DIR}/patches/pcre3/*.patch)
list(SORT pcre_patches)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${pcre_patches})
set(pcre_dir ${CMAKE_BINARY_DIR}/pcre3-src)
set(pcre_stamp_text "")
foreach(p ${pcre_patches})
  file(SHA256 ${p} h)
  string(APPEND pcre_stamp_text "${h}\n")
endforeach()
set(pcre_stamp ${pcre_dir}/patched.stamp)
set(old_stamp "")
if(EXISTS ${pcre_stamp})
  file(READ ${pcre_stamp} old_stamp)
endif()
if(NOT old_stamp STREQUAL pcre_stamp_text OR NOT EXISTS ${pcre_dir}/pcre_exec.c)
  file(REMOVE_RECURSE ${pcre_dir})
  file(GLOB pcre_files ${TRELK_DEPS}/pcre3-8.39/*.c ${TRELK_DEPS}/pcre3-8.39/*.h
    ${TRELK_DEPS}/pcre3-8.39/*.generic ${TRELK_DEPS}/pcre3-8.39/*.dist)
  file(COPY ${pcre_files} ${TRELK_DEPS}/pcre3-8.39/sljit DESTINATION ${pcre_dir})
  trelk_apply_patches(${pcre_dir} "PCRE 8.39" ${pcre_patches})
  file(WRITE ${pcre_stamp} "${pcre_stamp_text}")
endif()
set(pcre_gen ${CMAKE_BINARY_DIR}/pcre-generated)
configure_file(${pcre_dir}/config.h.generic ${pcre_gen}/config.h COPYONLY)
configure_file(${pcre_dir}/pcre.h.generic ${pcre_gen}/pcre.h COPYONLY)
configure_file(${pcre_dir}/pcre_chartables.c.dist ${pcre_gen}/pcre_chartables.c COPYONLY)

set(pcre_sources byte_order compile config dfa_exec exec fullinfo get
  globals jit_compile maketables newline ord2utf8 refcount string_utils
  study tables ucd valid_utf8 version xclass)
list(TRANSFORM pcre_sources PREPEND ${pcre_dir}/pcre_)
list(TRANSFORM pcre_sources APPEND .c)

add_library(pcre STATIC ${pcre_sources} ${pcre_gen}/pcre_chartables.c)
target_include_directories(pcre BEFORE PRIVATE ${pcre_gen} ${pcre_dir})
target_include_directories(pcre SYSTEM PUBLIC ${pcre_gen})
target_compile_definitions(pcre PUBLIC PCRE_STATIC)
target_compile_definitions(pcre PRIVATE HAVE_CONFIG_H SUPPORT_UTF SUPPORT_UCP
  SUPPORT_JIT HAVE_STDINT_H HAVE_INTTYPES_H HAVE_STRING_H HAVE_STDLIB_H HAVE_MEMMOVE)
target_compile_options(pcre PRIVATE -w)
set_target_properties(pcre PROPERTIES C_STANDARD 99 LINKER_LANGUAGE C)
# The frame-size probe of pcre_exec forms an address from a null subject.
# The JIT writes instruction fields at any byte address and shifts signed
# values by design; both are sound on x86 with this compiler.
if(TRELK_NATIVE AND TRELK_SANITIZE)
  target_compile_options(pcre PRIVATE -fno-sanitize=pointer-overflow)
  set_source_files_properties(${pcre_dir}/pcre_jit_compile.c PROPERTIES
    COMPILE_OPTIONS "-fno-sanitize=alignment,shift")
endif()
