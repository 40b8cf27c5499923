# The console layer, the condition report, the dialogues and the start-up of a run.
add_library(agv_console STATIC
  ${CMAKE_CURRENT_LIST_DIR}/console.cpp
  ${CMAKE_CURRENT_LIST_DIR}/report.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/startup.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/path/path_dialogue.cpp)
target_link_libraries(agv_console PUBLIC agvcore agv_output)
