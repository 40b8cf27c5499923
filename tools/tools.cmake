# Developer tools, not needed to run the simulator.

# Generator of the five random conversion tables in data/:
#   agv_make_random_tables <output directory>
add_executable(agv_make_random_tables ${CMAKE_CURRENT_LIST_DIR}/make_random_tables.cpp)
