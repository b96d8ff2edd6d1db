# The printer picker.
pellaro_add_sources(pellaro_gui
  PORTABLE printer_dialog.cpp
  LINUX printer_dialog_qt.cpp
  WINDOWS printer_dialog_win.cpp)
