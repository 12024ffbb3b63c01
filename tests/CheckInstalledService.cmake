# Installs the user service under PREFIX and checks that it starts the quorbit installed there.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX} --component service
                RESULT_VARIABLE result)
set(unit ${PREFIX}/lib/systemd/user/quorbit@.service)
if(NOT result EQUAL 0 OR NOT EXISTS ${unit})
  message(FATAL_ERROR "the user service was not installed in ${PREFIX}")
endif()
file(STRINGS ${unit} start REGEX "^ExecStart=")
if(NOT start MATCHES "^ExecStart=${PREFIX}/bin/quorbit --run /%I \\$QUORBIT_RUN_OPTIONS$")
  message(FATAL_ERROR "the user service installed in ${PREFIX} starts another program: ${start}")
endif()
