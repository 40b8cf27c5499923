# agvsim-batch: one computation from command-line options, with CSV, summary and pictures.
# The option parser is a library of its own, for the tests and the sweep's base conditions.
find_package(Threads REQUIRED)
add_library(agv_batch STATIC ${CMAKE_CURRENT_LIST_DIR}/options.cpp
                             ${CMAKE_CURRENT_LIST_DIR}/exercise_report.cpp)
target_link_libraries(agv_batch PUBLIC agv_common)

add_executable(agvsim-batch ${CMAKE_CURRENT_LIST_DIR}/main.cpp
                            ${CMAKE_CURRENT_LIST_DIR}/theory_report.cpp
                            ${CMAKE_CURRENT_LIST_DIR}/law_theory_report.cpp)
target_link_libraries(agvsim-batch PRIVATE agv_batch agv_picture Threads::Threads)
