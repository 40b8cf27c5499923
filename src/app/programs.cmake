# The interactive program.
add_executable(agvsim ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(agvsim PRIVATE agv_console)
target_link_libraries(agvsim PRIVATE agv_draw)
