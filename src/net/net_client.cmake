# HTTPS client, pins and their platform halves.
pellaro_add_sources(pellaro_core
  PORTABLE http_client.cpp pin_store.cpp pin_validation.cpp content_data.cpp version_check.cpp)
pellaro_add_sources(pellaro_sys
  LINUX http_client_curl.cpp curl_tls.cpp host_probe_curl.cpp security_product_posix.cpp
  WINDOWS http_client_winhttp.cpp pin_chain_win.cpp host_probe_winhttp.cpp security_product_win.cpp)
if(NOT PELLARO_RELEASE)
  # The reference backend's private root may be trusted through PELLARO_TEST_CA_FILE.
  set_property(SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/curl_tls.cpp TARGET_DIRECTORY pellaro_sys APPEND PROPERTY COMPILE_DEFINITIONS PELLARO_TEST_SEAMS)
endif()
