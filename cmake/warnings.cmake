# Warnings as errors for our own code, in both configurations; the
# dependencies keep their own flags. Included last, so it sees every target:
# it walks the directory tree and sorts each target by where its sources live.
#  - ours (every compiled source in the work tree, outside deps/ and the
#    build tree): TRELK_OWN_OPTIONS, for C and C++ only (windres must not
#    see them);
#  - a dependency's: its public include folders become system folders, so
#    their headers do not warn inside our code.
# An optimised build (the benchmarks') warns of things GCC's flow analysis
# only imagines at -O3 (overlapping copies, unset fields), so there they
# stay warnings.
if(CMAKE_BUILD_TYPE STREQUAL "Release")
  set(trelk_werror_default OFF)
else()
  set(trelk_werror_default ON)
endif()
option(TRELK_WERROR "Turn warnings in our code into errors" ${trelk_werror_default})
set(TRELK_OWN_OPTIONS -Wall -Wextra)
if(TRELK_WERROR)
  list(APPEND TRELK_OWN_OPTIONS -Werror)
endif()
# The sanitizer build checks the invariants the headers state: assert stays
# on there whatever the build type says.
if(TRELK_NATIVE AND TRELK_SANITIZE)
  list(APPEND TRELK_OWN_OPTIONS -UNDEBUG)
endif()

get_filename_component(trelk_deps_real ${TRELK_DEPS} REALPATH)

# true when `src' (as listed by target `tgt') is dependency code
function(trelk_foreign_source tgt src out)
  get_target_property(dir ${tgt} SOURCE_DIR)
  if(src MATCHES "^\\$<")                # generator expression: not a file
    set(${out} FALSE PARENT_SCOPE)
    return()
  endif()
  get_filename_component(p ${src} ABSOLUTE BASE_DIR ${dir})
  get_filename_component(r ${p} REALPATH)
  set(f FALSE)
  foreach(root ${TRELK_DEPS} ${trelk_deps_real} ${CMAKE_BINARY_DIR})
    string(FIND "${p}/" "${root}/" a)
    string(FIND "${r}/" "${root}/" b)
    if(a EQUAL 0 OR b EQUAL 0)
      set(f TRUE)
    endif()
  endforeach()
  set(${out} ${f} PARENT_SCOPE)
endfunction()

function(trelk_sort_target tgt)
  get_target_property(type ${tgt} TYPE)
  get_target_property(imported ${tgt} IMPORTED)
  if(imported OR type STREQUAL "INTERFACE_LIBRARY" OR type STREQUAL "UTILITY")
    return()
  endif()
  get_target_property(srcs ${tgt} SOURCES)
  if(NOT srcs)
    return()
  endif()
  get_target_property(dir ${tgt} SOURCE_DIR)
  set(ours "")
  set(foreign "")
  foreach(s ${srcs})
    if(s MATCHES "\\.(c|cc|cpp|cxx)$")
      trelk_foreign_source(${tgt} ${s} f)
      get_filename_component(p ${s} ABSOLUTE BASE_DIR ${dir})
      if(f)
        list(APPEND foreign ${p})
      else()
        list(APPEND ours ${p})
      endif()
    endif()
  endforeach()
  if(ours AND NOT foreign)
    target_compile_options(${tgt} PRIVATE
      "$<$<COMPILE_LANGUAGE:C,CXX>:${TRELK_OWN_OPTIONS}>")
  elseif(ours)
    # a test that compiles a dependency's file beside its own
    set_property(SOURCE ${ours} TARGET_DIRECTORY ${tgt} APPEND PROPERTY
      COMPILE_OPTIONS ${TRELK_OWN_OPTIONS})
  elseif(foreign)
    get_target_property(inc ${tgt} INTERFACE_INCLUDE_DIRECTORIES)
    if(inc)
      set_property(TARGET ${tgt} APPEND PROPERTY
        INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${inc})
    endif()
  endif()
endfunction()

function(trelk_sort_dir dir)
  get_property(tgts DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(t ${tgts})
    trelk_sort_target(${t})
  endforeach()
  get_property(subs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(d ${subs})
    trelk_sort_dir(${d})
  endforeach()
endfunction()

trelk_sort_dir(${CMAKE_SOURCE_DIR})
