# The player itself: tovrelapp (Linux) and Tovrelapp.exe (Windows).
pellaro_add_sources(pellaro_gui
  LINUX startup_steps_qt.cpp pre_exit_teardown_qt.cpp
  WINDOWS startup_steps_win.cpp pre_exit_teardown_win.cpp)
if(PELLARO_BUILD_GUI)
  if(WIN32)
    set(_pellaro_rc ${PELLARO_WIN_RESOURCES})
    if(NOT _pellaro_rc)
      set(_pellaro_rc ${CMAKE_SOURCE_DIR}/src/resources/app.rc)
    endif()
    add_executable(Tovrelapp WIN32 main_win.cpp ${_pellaro_rc})
    target_link_options(Tovrelapp PRIVATE -municode -mwindows)
    target_link_libraries(Tovrelapp PRIVATE pellaro_gui pellaro_core)
  else()
    add_executable(tovrelapp main_linux.cpp)
    target_link_libraries(tovrelapp PRIVATE pellaro_gui pellaro_core)
  endif()
endif()
