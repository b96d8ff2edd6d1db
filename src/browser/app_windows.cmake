# The home window and the player frame.
pellaro_add_sources(pellaro_gui
  PORTABLE app_windows.cpp
  LINUX app_windows_qt.cpp
  WINDOWS app_windows_win.cpp)
