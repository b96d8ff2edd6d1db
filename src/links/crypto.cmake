pellaro_add_sources(pellaro_sys
  LINUX crypto_openssl.cpp
  WINDOWS crypto_cng.cpp)
