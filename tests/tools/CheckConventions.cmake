# Checks that PROGRAM (named NAME) answers as every Pelmora program does:
# --help prints the usage on standard output and exits 0, --version prints
# "NAME VERSION", and an unknown option is a usage error on standard error
# with exit status 2 and nothing on standard output.
#   cmake -DPROGRAM=path -DNAME=name -DVERSION=x.y.z -P CheckConventions.cmake
function(run)
  execute_process(COMMAND ${PROGRAM} ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
                  TIMEOUT 30)
  set(rc "${rc}" PARENT_SCOPE)
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

set(failures "")
run(--help)
if(NOT rc STREQUAL "0" OR NOT out MATCHES "^Usage: ${NAME} " OR NOT out MATCHES "\n  -h, --help " OR
   NOT err STREQUAL "")
  string(APPEND failures "--help: exit ${rc}, stdout:\n${out}\nstderr:\n${err}\n")
endif()
run(--version)
if(NOT rc STREQUAL "0" OR NOT out STREQUAL "${NAME} ${VERSION}\n" OR NOT err STREQUAL "")
  string(APPEND failures "--version: exit ${rc}, stdout '${out}', stderr '${err}'\n")
endif()
run(--no-such-option)
if(NOT rc STREQUAL "2" OR NOT out STREQUAL "" OR NOT err MATCHES "${NAME}: ")
  string(APPEND failures "--no-such-option: exit ${rc}, stdout '${out}', stderr '${err}'\n")
endif()
if(failures)
  message(FATAL_ERROR "${NAME} does not answer like the other Pelmora programs:\n${failures}")
endif()
