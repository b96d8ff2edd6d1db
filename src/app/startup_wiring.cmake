# The other subsystems' start-up steps, the same in both editions.
pellaro_add_sources(pellaro_gui PORTABLE startup_wiring.cpp)
