# Developer tools, not needed to run the simulator.

# Generator of the five random conversion tables in data/:
#   agv_make_random_tables <output directory>
add_executable(agv_make_random_tables ${CMAKE_CURRENT_LIST_DIR}/make_random_tables.cpp)

# Digest of the trajectory store over all curves, error numbers and two feedback
# designs, to confirm that a change to the core leaves every result unchanged:
#   agv_store_digest [-v]
add_executable(agv_store_digest EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/store_digest.cpp)
target_link_libraries(agv_store_digest PRIVATE agv_console)
