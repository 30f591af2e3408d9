# The interpreter as shipped, without the patches under patches/lua5.1:
# compiled the same way as lua51, for the benchmarks that weigh our changes.
# Both libraries export the same symbols, so no program links the two.
if(NOT TARGET lua51_stock)
  trelk_require_dep(lua5.1-5.1.5)
  set(stock_src ${CMAKE_BINARY_DIR}/lua5.1-stock/src)
  if(NOT EXISTS ${stock_src}/lua.h)
    file(COPY ${TRELK_DEPS}/lua5.1-5.1.5/src DESTINATION ${CMAKE_BINARY_DIR}/lua5.1-stock)
  endif()
  if(NOT EXISTS ${stock_src}/lua5.1-deb-multiarch.h)
    file(WRITE ${stock_src}/lua5.1-deb-multiarch.h "#define DEB_HOST_MULTIARCH \"\"\n")
  endif()
  file(GLOB stock_c ${stock_src}/*.c)
  list(FILTER stock_c EXCLUDE REGEX "/(lua|luac|print)\\.c$")
  add_library(lua51_stock STATIC EXCLUDE_FROM_ALL ${stock_c})
  target_include_directories(lua51_stock PUBLIC ${stock_src})
  set_target_properties(lua51_stock PROPERTIES C_STANDARD 99 LINKER_LANGUAGE C)
  if(NOT WIN32)
    target_compile_definitions(lua51_stock PUBLIC LUA_USE_POSIX)
  endif()
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "i.86")   # as lua51
    target_compile_options(lua51_stock PRIVATE -msse2 -mfpmath=sse)
  endif()
endif()
