# What a Windows host looks for in the module, read from its export table:
# GetPluginFactory, InitDll and ExitDll by their plain names, and no C++
# runtime DLL to find beside it.
#   cmake -DOBJDUMP=... -DMODULE=... -P check-exports.cmake
execute_process(COMMAND ${OBJDUMP} -p ${MODULE} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot read ${MODULE}")
endif()
set(failed 0)
foreach(name GetPluginFactory InitDll ExitDll)
  if(NOT dump MATCHES "\\] ${name}\n")
    message("missing export: ${name}")
    math(EXPR failed "${failed} + 1")
  endif()
endforeach()
if(dump MATCHES "DLL Name: (libstdc\\+\\+|libgcc|libwinpthread)")
  message("imports a runtime DLL: ${CMAKE_MATCH_1}")
  math(EXPR failed "${failed} + 1")
endif()
if(failed)
  message(FATAL_ERROR "${failed} failed")
endif()
message("exports checked")
