pellaro_add_sources(pellaro_core
  PORTABLE text.cpp debug_log.cpp program_path.cpp
  LINUX debug_log_posix.cpp
  WINDOWS debug_log_win.cpp)
pellaro_add_sources(pellaro_sys
  LINUX program_path_posix.cpp
  WINDOWS program_path_win.cpp)
pellaro_add_sources(pellaro_gui
  LINUX message_box_qt.cpp
  WINDOWS message_box_win.cpp)
