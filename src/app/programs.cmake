# The interactive program: console dialogue and window; the drawing of a whole context.
add_library(agv_window STATIC ${CMAKE_CURRENT_LIST_DIR}/window.cpp
                              ${CMAKE_CURRENT_LIST_DIR}/draw_context.cpp)
target_link_libraries(agv_window PUBLIC agv_console agv_draw)

add_executable(agvsim ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(agvsim PRIVATE agv_window)
