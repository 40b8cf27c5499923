# agvsim-sweep: the simulator over a grid of conditions, on every core.
find_package(Threads REQUIRED)
# SHA-256 of the shard tables.
find_package(OpenSSL REQUIRED COMPONENTS Crypto)
add_library(agv_sweep STATIC
  ${CMAKE_CURRENT_LIST_DIR}/point_run.cpp
  ${CMAKE_CURRENT_LIST_DIR}/session.cpp
  ${CMAKE_CURRENT_LIST_DIR}/grid.cpp
  ${CMAKE_CURRENT_LIST_DIR}/options.cpp
  ${CMAKE_CURRENT_LIST_DIR}/table.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shard_identity.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shard_merge.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sha256.cpp
  ${CMAKE_CURRENT_LIST_DIR}/map.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pool.cpp
  ${CMAKE_CURRENT_LIST_DIR}/seed_statistics.cpp
  ${CMAKE_CURRENT_LIST_DIR}/progress.cpp)
target_link_libraries(agv_sweep PUBLIC agv_batch Threads::Threads PRIVATE OpenSSL::Crypto)
add_executable(agvsim-sweep ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(agvsim-sweep PRIVATE agv_sweep)
