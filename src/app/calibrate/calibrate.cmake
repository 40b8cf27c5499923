# agvsim-calibrate: the square-path benchmark of the differential drive, its estimates of
# the wheel diameter and WheelBase ratios, and the corrected re-run. The report and the
# picture of the return positions are a library of their own, for the tests.
add_library(agv_calibrate STATIC ${CMAKE_CURRENT_LIST_DIR}/calibrate_options.cpp
                                 ${CMAKE_CURRENT_LIST_DIR}/calibration_report.cpp)
target_link_libraries(agv_calibrate PUBLIC agv_common)

add_executable(agvsim-calibrate ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(agvsim-calibrate PRIVATE agv_calibrate)
