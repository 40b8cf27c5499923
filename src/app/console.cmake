# Output files of the programs: regular files replaced atomically, streams in place.
add_library(agv_output STATIC ${CMAKE_CURRENT_LIST_DIR}/output_target.cpp)
target_include_directories(agv_output PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})

# Texts and files the programs share, without console, window or OpenGL (the web page and
# the core's tests use them too): printf-style text, the words for outcomes and refusals,
# the reading of the random tables.
add_library(agv_text STATIC
  ${CMAKE_CURRENT_LIST_DIR}/text_output.cpp
  ${CMAKE_CURRENT_LIST_DIR}/number_format.cpp
  ${CMAKE_CURRENT_LIST_DIR}/outcome_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/random_table_file.cpp)
target_include_directories(agv_text PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(agv_text PUBLIC agvcore)
# Fallback location of the random tables when they are not in the working directory.
target_compile_definitions(agv_text PRIVATE AGV_DATA_DIR="${PROJECT_SOURCE_DIR}/data")

# The console layer, the condition report, the dialogues and the start-up of a run.
add_library(agv_console STATIC
  ${CMAKE_CURRENT_LIST_DIR}/console.cpp
  ${CMAKE_CURRENT_LIST_DIR}/report.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/startup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/path_dialogue.cpp)
target_link_libraries(agv_console PUBLIC agv_text agv_output agvcore agv_draw_core)
