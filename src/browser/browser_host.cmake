pellaro_add_sources(pellaro_core PORTABLE host_status.cpp)
# The real filter services reach the blocked-host notice, a window.
pellaro_add_sources(pellaro_gui
  PORTABLE window_hosts.cpp browser_services.cpp
  LINUX webview_host_qt.cpp browser_windows_qt.cpp)
