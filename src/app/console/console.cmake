# agvsim: the console dialogue and the window.
add_library(agv_console STATIC
  ${CMAKE_CURRENT_LIST_DIR}/console.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/path_dialogue.cpp)
target_link_libraries(agv_console PUBLIC agv_common)

add_library(agv_window STATIC ${CMAKE_CURRENT_LIST_DIR}/window.cpp)
target_link_libraries(agv_window PUBLIC agv_console agv_picture)

add_executable(agvsim ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(agvsim PRIVATE agv_window)
