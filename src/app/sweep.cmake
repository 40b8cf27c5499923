# agvsim-sweep: the simulator over a grid of conditions, on every core.
if(TARGET agv_console)
  find_package(Threads REQUIRED)
  add_library(agv_sweep STATIC
    ${CMAKE_CURRENT_LIST_DIR}/sweep_run.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sweep_grid.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sweep_options.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sweep_table.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sweep_map.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sweep_pool.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sweep_progress.cpp)
  target_link_libraries(agv_sweep PUBLIC agv_console Threads::Threads)
  add_executable(agvsim-sweep ${CMAKE_CURRENT_LIST_DIR}/sweep_main.cpp)
  target_link_libraries(agvsim-sweep PRIVATE agv_sweep)
endif()
