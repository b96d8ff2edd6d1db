# Packages: the product identity for the version resources, the Debian package
# of the Linux edition (CPack) and the Windows installer (NSIS).
# scripts/package.sh builds both; tests/packaging installs, starts and removes them.

# The version comes from the product record; the project version must agree,
# since the packages and the version resource are named after it.
set(PELLARO_APP_RECORD_HEADER ${CMAKE_SOURCE_DIR}/src/core/app_record.h)
file(STRINGS ${PELLARO_APP_RECORD_HEADER} _version_line REGEX "versionText = L\"[0-9.]+\"")
string(REGEX MATCH "[0-9]+(\\.[0-9]+)*" PELLARO_VERSION_TEXT "${_version_line}")
if(NOT PELLARO_VERSION_TEXT STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "The product record says version '${PELLARO_VERSION_TEXT}', "
                      "project() says '${PROJECT_VERSION}': make them agree")
endif()
string(REPLACE "." "," PELLARO_VERSION_NUMBERS "${PELLARO_VERSION_TEXT},0")
string(REGEX REPLACE "^([0-9]+,[0-9]+,[0-9]+,[0-9]+).*" "\\1" PELLARO_VERSION_NUMBERS "${PELLARO_VERSION_NUMBERS}")
file(READ ${CMAKE_SOURCE_DIR}/profiles/${PELLARO_PROFILE}.json _profile_text)
string(JSON PELLARO_COMPANY_NAME GET "${_profile_text}" constants companyName)
string(JSON _download_url GET "${_profile_text}" constants installerDownloadUrl)
set(PELLARO_PRODUCT_NAME "Pellaro Desktop Player")
set(PELLARO_DISPLAY_NAME "Tovrel Academy")
configure_file(${CMAKE_SOURCE_DIR}/src/resources/pellaro_version.h.in ${CMAKE_BINARY_DIR}/generated/pellaro_version.h @ONLY)

set(PELLARO_PACKAGE_MAINTAINER "Pellaro Software <packages@pellaro.software>" CACHE STRING
    "Maintainer field of the Debian package")
set(_packaging ${CMAKE_SOURCE_DIR}/packaging)

if(WIN32)
  # The installer is named as the profile's download address names it, so the
  # file the version check points at is the file this build makes.
  string(REGEX REPLACE "^.*/" "" PELLARO_INSTALLER_NAME "${_download_url}")
  if(NOT PELLARO_INSTALLER_NAME MATCHES "\\.exe$")
    set(PELLARO_INSTALLER_NAME pellaro-setup.exe)
  endif()
  set(PELLARO_INSTALLER ${CMAKE_BINARY_DIR}/packages/${PELLARO_INSTALLER_NAME} CACHE INTERNAL "")
  find_program(PELLARO_MAKENSIS makensis)
  if(PELLARO_MAKENSIS AND TARGET Tovrelapp)
    add_custom_command(
      OUTPUT ${PELLARO_INSTALLER}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packages
      COMMAND ${PELLARO_MAKENSIS} -V2 -INPUTCHARSET UTF8
              "-DVERSION=${PELLARO_VERSION_TEXT}" "-DVERSION_NUMBERS=${PELLARO_VERSION_TEXT}.0"
              "-DCOMPANY=${PELLARO_COMPANY_NAME}" "-DPRODUCT=${PELLARO_PRODUCT_NAME}"
              "-DDISPLAY_NAME=${PELLARO_DISPLAY_NAME}"
              "-DPROGRAM=$<TARGET_FILE:Tovrelapp>" "-DCLI=$<TARGET_FILE:pellaro-cli>"
              "-DICON=${CMAKE_SOURCE_DIR}/src/resources/app.ico" "-DOUTFILE=${PELLARO_INSTALLER}"
              ${_packaging}/windows/installer.nsi
      DEPENDS ${_packaging}/windows/installer.nsi Tovrelapp pellaro-cli ${CMAKE_SOURCE_DIR}/src/resources/app.ico
      COMMENT "Making ${PELLARO_INSTALLER_NAME} with NSIS"
      VERBATIM)
    add_custom_target(pellaro_installer DEPENDS ${PELLARO_INSTALLER})
  endif()
  return()
endif()

if(NOT TARGET tovrelapp)
  return()
endif()

# Icons for the hicolor theme, every size from the 256-pixel image of app.ico.
find_program(PELLARO_CONVERT convert)
set(_icon_dir ${CMAKE_BINARY_DIR}/packaging/icons)
set(_icons)
foreach(_size 16 24 32 48 64 128 256)
  set(_icon ${_icon_dir}/${_size}x${_size}/apps/tovrelapp.png)
  add_custom_command(
    OUTPUT ${_icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_icon_dir}/${_size}x${_size}/apps
    COMMAND ${PELLARO_CONVERT} ${CMAKE_SOURCE_DIR}/src/resources/app.ico[0] -strip -resize ${_size}x${_size} ${_icon}
    DEPENDS ${CMAKE_SOURCE_DIR}/src/resources/app.ico
    VERBATIM)
  list(APPEND _icons ${_icon})
endforeach()
# The package's documents: the changelog compressed without a timestamp.
set(_doc_dir ${CMAKE_BINARY_DIR}/packaging/doc)
configure_file(${_packaging}/linux/changelog.in ${_doc_dir}/changelog @ONLY)
add_custom_command(
  OUTPUT ${_doc_dir}/changelog.gz
  COMMAND gzip -9nkf ${_doc_dir}/changelog
  DEPENDS ${_doc_dir}/changelog
  VERBATIM)
set(_manuals)
foreach(_page tovrelapp pellaro-cli)
  add_custom_command(
    OUTPUT ${_doc_dir}/${_page}.1.gz
    COMMAND gzip -9nc ${_packaging}/linux/${_page}.1 > ${_doc_dir}/${_page}.1.gz
    DEPENDS ${_packaging}/linux/${_page}.1)
  list(APPEND _manuals ${_doc_dir}/${_page}.1.gz)
endforeach()
add_custom_target(pellaro_package_files ALL DEPENDS ${_icons} ${_doc_dir}/changelog.gz ${_manuals})

set(PELLARO_DEB_NAME pellaro-desktop-player)
install(TARGETS tovrelapp pellaro-cli RUNTIME DESTINATION bin)
install(FILES ${_packaging}/linux/pellaro-desktop-player.desktop DESTINATION share/applications)
install(DIRECTORY ${_icon_dir}/ DESTINATION share/icons/hicolor)
install(FILES ${_packaging}/linux/copyright ${_doc_dir}/changelog.gz DESTINATION share/doc/${PELLARO_DEB_NAME})
install(FILES ${_manuals} DESTINATION share/man/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PELLARO_DEB_NAME})
set(CPACK_PACKAGE_VERSION ${PELLARO_VERSION_TEXT})
set(CPACK_PACKAGE_VENDOR ${PELLARO_COMPANY_NAME})
set(CPACK_PACKAGE_CONTACT ${PELLARO_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "course player for Tovrel Academy")
set(CPACK_PACKAGE_DESCRIPTION
    "Opens the academy's Tovrelapp: course links and shows lessons, documents,\n"
    "videos and live sessions in an embedded browser the player controls: pinned\n"
    "HTTPS to the academy, printing to physical printers only. Started without a\n"
    "link it opens the academy's home page. Includes pellaro-cli, the support tool.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Started, not linked: the browser engine's helper process and the desktop opener.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6webenginecore6-bin, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${_packaging}/linux/postinst ${_packaging}/linux/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE _arch OUTPUT_STRIP_TRAILING_WHITESPACE)
set(PELLARO_DEB_FILE ${CMAKE_BINARY_DIR}/packages/${PELLARO_DEB_NAME}_${PELLARO_VERSION_TEXT}_${_arch}.deb CACHE INTERNAL "")
include(CPack)
