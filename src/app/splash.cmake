# Start-up image: sizing is portable, the window is per edition.
pellaro_add_sources(pellaro_core PORTABLE splash.cpp)
pellaro_add_sources(pellaro_gui LINUX splash_qt.cpp WINDOWS splash_win.cpp)
