# cmake -DSOURCE_DIR=<tree> -DFOLDERS=<a;b;…> -DSHELL=<folder> -P ShellIncludeCheck.cmake
# Fails when a source directly inside one of FOLDERS includes a header of SHELL, or when SHELL has no
# header to include (the check would then see nothing).

file(GLOB shell_headers "${SOURCE_DIR}/${SHELL}/*.h")
if(NOT shell_headers)
  message(FATAL_ERROR "no headers in ${SHELL}")
endif()

set(failed FALSE)
foreach(folder ${FOLDERS})
  file(GLOB sources "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
  if(NOT sources)
    message(FATAL_ERROR "no sources in ${folder}")
  endif()
  foreach(source ${sources})
    file(STRINGS "${source}" upward REGEX "#include \"${SHELL}/")
    if(upward)
      message(SEND_ERROR "${source}: ${upward}")
      set(failed TRUE)
    endif()
  endforeach()
endforeach()
if(failed)
  message(FATAL_ERROR "a layer below ${SHELL} includes it")
endif()
