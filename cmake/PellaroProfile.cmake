# Turns profiles/<name>.json into the scrambled constant tables of pellaro_profile.
set(_profile_json ${CMAKE_SOURCE_DIR}/profiles/${PELLARO_PROFILE}.json)
if(NOT EXISTS ${_profile_json})
  message(FATAL_ERROR "No build profile named '${PELLARO_PROFILE}' under profiles/")
endif()
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(_gen_dir ${CMAKE_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${_gen_dir})
set(PELLARO_PROFILE_SOURCE ${_gen_dir}/pellaro_profile.cpp)
add_custom_command(
  OUTPUT ${_gen_dir}/pellaro_profile.h ${PELLARO_PROFILE_SOURCE}
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/cmake/gen_profile.py ${_profile_json}
          ${_gen_dir}/pellaro_profile.h ${PELLARO_PROFILE_SOURCE} ${PELLARO_RELEASE}
  DEPENDS ${_profile_json} ${CMAKE_SOURCE_DIR}/cmake/gen_profile.py
  COMMENT "Scrambling build profile '${PELLARO_PROFILE}'")
add_library(pellaro_profile STATIC ${PELLARO_PROFILE_SOURCE})
target_include_directories(pellaro_profile PUBLIC ${_gen_dir})
# Configure-time check so a release with unsupplied values stops at once.
if(PELLARO_RELEASE)
  execute_process(COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/cmake/gen_profile.py ${_profile_json}
                          ${_gen_dir}/check.h ${_gen_dir}/check.cpp ON
                  RESULT_VARIABLE _rc ERROR_VARIABLE _err)
  if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "${_err}")
  endif()
endif()
