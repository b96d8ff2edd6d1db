# The intercepted-connection notice ends in the diagnostic dialog, a window.
pellaro_add_sources(pellaro_gui PORTABLE connection_failure.cpp)
