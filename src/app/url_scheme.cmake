# URL-scheme registration: the values are portable, the registry or XDG files per edition.
pellaro_add_sources(pellaro_core PORTABLE url_scheme.cpp)
pellaro_add_sources(pellaro_sys LINUX url_scheme_posix.cpp WINDOWS url_scheme_win.cpp)
