# Fails when a source file includes from a layer above its own, or when the core includes
# a console, window or picture library. Run as: cmake -DSOURCE_DIR=<src> -P check_layers.cmake
#   core  (src/core): its own headers and the standard library only
#   draw  (src/draw): the core and the graphics libraries, never app/
#   app   (src/app):  everything
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR not set")
endif()
get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)

set(core_forbidden "\"app/" "\"draw/" "<GL/" "<X11/" "<png.h>" "<iostream>" "<cstdio>"
                   "<stdio.h>" "<fstream>" "<termios.h>" "<unistd.h>" "<gif_lib.h>")
set(draw_forbidden "\"app/")

set(faults "")
function(check_folder folder)
  file(GLOB_RECURSE files ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(file ${files})
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${lines})
      foreach(pattern ${ARGN})
        string(FIND "${line}" "${pattern}" at)
        if(NOT at EQUAL -1)
          file(RELATIVE_PATH name ${SOURCE_DIR} ${file})
          set(faults "${faults}\n  ${name}: ${line}")
        endif()
      endforeach()
    endforeach()
  endforeach()
  set(faults "${faults}" PARENT_SCOPE)
endfunction()

check_folder(core ${core_forbidden})
check_folder(draw ${draw_forbidden})

if(faults)
  message(FATAL_ERROR "includes from a higher layer:${faults}")
endif()
message(STATUS "layers hold")
