# Third-party code, built from the Debian source packages that tools/setup.sh
# unpacks under deps/. Nothing of it is kept in the repository; our changes to
# the interpreter are patch files applied to a private copy of its sources.

include(${CMAKE_CURRENT_LIST_DIR}/patches.cmake)
set(TRELK_DEPS ${CMAKE_SOURCE_DIR}/deps CACHE PATH "Unpacked dependency sources")

function(trelk_require_dep dir)
  if(NOT EXISTS ${TRELK_DEPS}/${dir})
    message(FATAL_ERROR "${TRELK_DEPS}/${dir} is missing: run tools/setup.sh")
  endif()
endfunction()

# Lua 5.1.5 with the patches under patches/lua5.1, applied in name order to a
# copy in the build tree. The copy is redone whenever a patch changes.
trelk_require_dep(lua5.1-5.1.5)
file(GLOB TRELK_LUA_PATCHES ${CMAKE_SOURCE_DIR}/patches/lua5.1/*.patch)
list(SORT TRELK_LUA_PATCHES)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TRELK_LUA_PATCHES})
set(lua_src ${CMAKE_BINARY_DIR}/lua5.1/src)
set(lua_stamp_text "")
foreach(p ${TRELK_LUA_PATCHES})
  file(SHA256 ${p} h)
  string(APPEND lua_stamp_text "${h}\n")
endforeach()
set(lua_stamp ${CMAKE_BINARY_DIR}/lua5.1/patched.stamp)
set(old_stamp "")
if(EXISTS ${lua_stamp})
  file(READ ${lua_stamp} old_stamp)
endif()
if(NOT old_stamp STREQUAL lua_stamp_text OR NOT EXISTS ${lua_src}/lua.h)
  file(REMOVE_RECURSE ${CMAKE_BINARY_DIR}/lua5.1)
  file(COPY ${TRELK_DEPS}/lua5.1-5.1.5/src DESTINATION ${CMAKE_BINARY_DIR}/lua5.1)
  trelk_apply_patches(${CMAKE_BINARY_DIR}/lua5.1 "Lua 5.1.5" ${TRELK_LUA_PATCHES})
  file(WRITE ${lua_stamp} "${lua_stamp_text}")
endif()
# Debian's luaconf.h asks for this header on non-Windows hosts.
if(NOT EXISTS ${lua_src}/lua5.1-deb-multiarch.h)
  file(WRITE ${lua_src}/lua5.1-deb-multiarch.h "#define DEB_HOST_MULTIARCH \"\"\n")
endif()
file(GLOB lua_c ${lua_src}/*.c)
list(FILTER lua_c EXCLUDE REGEX "/(lua|luac|print)\\.c$")
# Compiled as C: errors unwind with longjmp, which also crosses the frames of
# assembled code that has no unwind tables.
add_library(lua51 STATIC ${lua_c})
target_include_directories(lua51 PUBLIC ${lua_src})
set_target_properties(lua51 PROPERTIES C_STANDARD 99 LINKER_LANGUAGE C)
if(NOT WIN32)
  target_compile_definitions(lua51 PUBLIC LUA_USE_POSIX)
endif()
# Script numbers are IEEE doubles: x87 excess precision would round twice
# (a for loop stepping by 0.1 losing its last turn, % off by one) and would
# follow whatever precision native code leaves in the FPU control word.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "i.86")
  target_compile_options(lua51 PRIVATE -msse2 -mfpmath=sse)
endif()

# GoogleTest, for the unit and in-process tests.
if(TRELK_TESTS)
  trelk_require_dep(googletest-1.12.1)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(${TRELK_DEPS}/googletest-1.12.1 ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
