# What the programs share: texts, output files, option reading, the program's context and
# its way into the core, the trajectory table.

# Output files of the programs: regular files replaced atomically, streams in place.
# Text from outside shown in messages goes with them.
add_library(agv_output STATIC ${CMAKE_CURRENT_LIST_DIR}/output_target.cpp
                              ${CMAKE_CURRENT_LIST_DIR}/shown_text.cpp)
target_include_directories(agv_output PUBLIC ${PROJECT_SOURCE_DIR}/src)

# Texts and files without console, window or OpenGL (the core's tests use them too):
# printf-style text, the number format, the words for outcomes and refusals, the reading
# of the random tables.
add_library(agv_text STATIC
  ${CMAKE_CURRENT_LIST_DIR}/text_output.cpp
  ${CMAKE_CURRENT_LIST_DIR}/number_format.cpp
  ${CMAKE_CURRENT_LIST_DIR}/outcome_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/random_table_file.cpp)
target_include_directories(agv_text PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(agv_text PUBLIC agvcore agv_output)
# Fallback location of the random tables when they are not in the working directory.
target_compile_definitions(agv_text PRIVATE AGV_DATA_DIR="${PROJECT_SOURCE_DIR}/data")

# The program's context and computation, the condition report, the trajectory table and
# the reading of option values: every front end's common ground.
add_library(agv_common STATIC
  ${CMAKE_CURRENT_LIST_DIR}/computation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/report.cpp
  ${CMAKE_CURRENT_LIST_DIR}/menu_names.cpp
  ${CMAKE_CURRENT_LIST_DIR}/trajectory_csv.cpp
  ${CMAKE_CURRENT_LIST_DIR}/option_reading.cpp
  ${CMAKE_CURRENT_LIST_DIR}/output_clash.cpp)
target_link_libraries(agv_common PUBLIC agv_text agv_output agvcore agv_draw_core)

# The picture of a whole context through OpenGL, for the window and the batch tool.
function(agv_add_picture_library)
  add_library(agv_picture STATIC ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/draw_context.cpp
                                 ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/staged_folder.cpp)
  target_link_libraries(agv_picture PUBLIC agv_common agv_draw)
endfunction()
