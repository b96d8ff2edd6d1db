# Diagnostic codes and the diagnostic dialog.
pellaro_add_sources(pellaro_core
  PORTABLE diagnostic_record.cpp diagnostic_code.cpp diagnostic_dialog_content.cpp)
pellaro_add_sources(pellaro_gui
  LINUX diagnostic_dialog_qt.cpp diagnostic_dialog_mode_qt.cpp countdown_notice_qt.cpp
  WINDOWS diagnostic_dialog_win.cpp diagnostic_dialog_mode_win.cpp countdown_notice_win.cpp)
