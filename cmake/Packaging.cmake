# Install layout, desktop integration and the Debian package of Ordwell (cmake --install, cpack -G DEB).
# Included last by the top-level CMakeLists, so every program target already exists; parts whose
# program or file is not part of this build are left out.

# Reverse-DNS name of the desktop entry, AppStream component and icon (from ordwell.example).
set(ORDWELL_APP_ID example.ordwell.Ordwell)
set(ORDWELL_PACKAGING_SOURCE_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(ORDWELL_PACKAGING_BINARY_DIR ${CMAKE_BINARY_DIR}/packaging)

# What the manual page says of newer versions: a package leaves them to the package manager.
if(ORDWELL_SELF_UPDATE)
  set(ORDWELL_UPDATE_NOTE [=[At start-up Ordwell asks its vendor's web server whether a newer version exists, and offers
the download when there is one.]=])
  set(ORDWELL_UPDATE_FILES [=[.TP
.I $TMPDIR/ordwell\-<uid>/brannick_update.exe
The installer of a newer version while \(lqUpdate Now\(rq downloads it, in a folder readable by
you alone
.RI ( /tmp
when
.B TMPDIR
is not set).
A download that fails, does not match the checksum its vendor publishes, or that you decline
to start is removed.]=])
else()
  set(ORDWELL_UPDATE_FILES [=[.\" This build never downloads an installer.]=])
  set(ORDWELL_UPDATE_NOTE [=[At start-up Ordwell asks its vendor's web server whether a newer version exists, and tells
you when there is one: the system's package manager installs it.
Ordwell never downloads or starts an installer itself.]=])
endif()

# Fills in packaging/<name>.in, compresses it to <name>.gz and installs that into <destination>.
function(ordwell_install_gzipped name destination)
  set(text ${ORDWELL_PACKAGING_BINARY_DIR}/${name})
  configure_file(${ORDWELL_PACKAGING_SOURCE_DIR}/${name}.in ${text} @ONLY)
  execute_process(COMMAND gzip -9nc ${text} OUTPUT_FILE ${text}.gz RESULT_VARIABLE gzip_result)
  if(NOT gzip_result EQUAL 0)
    message(FATAL_ERROR "gzip could not compress ${name}: ${gzip_result}")
  endif()
  install(FILES ${text}.gz DESTINATION ${destination})
endfunction()

# Everything `cmake --install` lays out under the prefix; a function so its helper variables stay local.
function(ordwell_install_rules)
  # Programs.
  foreach(program IN ITEMS ordwell ordwell-extractd ordwell-find)
    if(TARGET ${program})
      install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
  endforeach()

  # The program looks for its translation table beside itself, then in ../share/ordwell/.
  install(FILES ${CMAKE_SOURCE_DIR}/data/transl.dt DESTINATION ${CMAKE_INSTALL_DATADIR}/ordwell OPTIONAL)

  # Desktop entry, software-centre entry and icons (hicolor sizes as rendered by packaging/render-icons.sh).
  install(FILES ${ORDWELL_PACKAGING_SOURCE_DIR}/${ORDWELL_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  configure_file(${ORDWELL_PACKAGING_SOURCE_DIR}/${ORDWELL_APP_ID}.metainfo.xml.in
    ${ORDWELL_PACKAGING_BINARY_DIR}/${ORDWELL_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${ORDWELL_PACKAGING_BINARY_DIR}/${ORDWELL_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  set(icon_dir ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
  install(FILES ${ORDWELL_PACKAGING_SOURCE_DIR}/icons/ordwell.svg
    DESTINATION ${icon_dir}/scalable/apps RENAME ${ORDWELL_APP_ID}.svg)
  file(GLOB icon_pngs CONFIGURE_DEPENDS ${ORDWELL_PACKAGING_SOURCE_DIR}/icons/ordwell-*.png)
  foreach(png IN LISTS icon_pngs)
    string(REGEX REPLACE ".*-([0-9]+)\\.png$" "\\1" size ${png})
    install(FILES ${png} DESTINATION ${icon_dir}/${size}x${size}/apps RENAME ${ORDWELL_APP_ID}.png)
  endforeach()

  # Manual pages and the changelog, compressed as Debian keeps them; made again whenever one changes.
  foreach(page IN ITEMS ordwell.1 ordwell-extractd.1 ordwell-find.1)
    ordwell_install_gzipped(${page} ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
  ordwell_install_gzipped(changelog ${CMAKE_INSTALL_DATADIR}/doc/ordwell)

  # systemd user unit of the extraction server (off until the user enables it); copyright notice.
  install(FILES ${ORDWELL_PACKAGING_SOURCE_DIR}/ordwell-extractd.service DESTINATION lib/systemd/user OPTIONAL)
  install(FILES ${ORDWELL_PACKAGING_SOURCE_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/ordwell)
endfunction()
ordwell_install_rules()

# Debian package. Library dependencies come from dpkg-shlibdeps; the rest are what the programs
# load or run without linking: Qt's SVG plugins for the window's icons, the server's helpers.
set(ORDWELL_EXTRA_DEPENDS)
if(TARGET ordwell)
  list(APPEND ORDWELL_EXTRA_DEPENDS libqt6svg6)
endif()
if(TARGET ordwell-extractd)
  list(APPEND ORDWELL_EXTRA_DEPENDS antiword catdoc djvulibre-bin)
endif()
list(JOIN ORDWELL_EXTRA_DEPENDS ", " CPACK_DEBIAN_PACKAGE_DEPENDS)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ordwell)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Ordwell developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find files whose content holds a given text")
set(CPACK_PACKAGE_DESCRIPTION [=[
Ordwell searches the folders you tick for files whose content contains the
text you type, lists them as they are found, and shows the text of the
selected file with every match marked. Searches can be narrowed by file
name, date and size.

Plain-text files are read directly. PDF, office documents, EPUB, e-mail and
archives are read by ordwell-extractd, a text-extraction server on this
computer that answers Apache Tika's HTTP request; a Tika server can take its
place.]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Ordwell developers <support@ordwell.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${ORDWELL_VENDOR_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
# A distribution package is updated by the package manager: cpack warns when this build would
# fetch and start installers itself (configure with -DORDWELL_SELF_UPDATE=OFF).
set(CPACK_ORDWELL_SELF_UPDATE ${ORDWELL_SELF_UPDATE})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/PackageChecks.cmake)
include(CPack)

if(ORDWELL_BUILD_TESTS)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/packaging ${CMAKE_BINARY_DIR}/tests/packaging)
endif()
