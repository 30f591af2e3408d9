# Applies patches (paths, in order) to a copy of a dependency's sources in
# `dir'; a patch that does not apply stops the configure with `what' named.
function(trelk_apply_patches dir what)
  foreach(p ${ARGN})
    execute_process(COMMAND patch -p1 -s --no-backup-if-mismatch -i ${p}
      WORKING_DIRECTORY ${dir} RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "patch ${p} does not apply to ${what}")
    endif()
  endforeach()
endfunction()
