# link_services.cpp holds the backend-facing defaults; binaries that pass
# their own services never pull it in.
pellaro_add_sources(pellaro_core PORTABLE link_resolution.cpp link_services.cpp)
