# Instance lock name, OS gate, device identity, the single-instance lock.
pellaro_add_sources(pellaro_core
  PORTABLE instance_name.cpp os_version.cpp device_identity.cpp)
pellaro_add_sources(pellaro_sys
  LINUX os_version_posix.cpp device_identity_posix.cpp instance_lock_posix.cpp
  WINDOWS os_version_win.cpp device_identity_win.cpp instance_lock_win.cpp)
