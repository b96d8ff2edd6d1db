# The start-up order and its decisions.
pellaro_add_sources(pellaro_core PORTABLE startup.cpp)
