# agvsim-batch: scripted runs of the console dialogue's computation.
# The option parser and the CSV and summary writers live in the console library, so that
# the app tests reach them.
if(TARGET agv_console)
  target_sources(agv_console PRIVATE ${CMAKE_CURRENT_LIST_DIR}/batch_options.cpp
                                     ${CMAKE_CURRENT_LIST_DIR}/batch_output.cpp)
endif()

if(TARGET agv_console AND TARGET agv_window)
  find_package(Threads REQUIRED)
  add_executable(agvsim-batch ${CMAKE_CURRENT_LIST_DIR}/batch_main.cpp)
  target_link_libraries(agvsim-batch PRIVATE agv_console agv_window Threads::Threads)

endif()
