pellaro_add_sources(pellaro_core
  PORTABLE navigation_policy.cpp page_scripts.cpp message_bridge.cpp resource_filter.cpp)
