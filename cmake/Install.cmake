# What a desktop installation holds besides the two programs: the menu entry,
# the icon (SVG, and PNG sizes rendered from it when rsvg-convert is there),
# the AppStream metadata, the manual pages, the bash completion and the
# package's copyright and changelog. A build without the window
# (-DQUORVEL_GUI=OFF) installs only what belongs to quorvel-cli: its manual
# page and completion, the copyright and the changelog.
include(GNUInstallDirs)

set(QUORVEL_APP_ID example.quorvel.Quorvel)
set(quorvel_pkg_src ${PROJECT_SOURCE_DIR}/packaging)
set(quorvel_pkg_bin ${PROJECT_BINARY_DIR}/packaging)
set(quorvel_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/quorvel)

set(quorvel_installed_programs quorvel-cli)
if(QUORVEL_GUI)
  list(APPEND quorvel_installed_programs quorvel)
  install(FILES ${quorvel_pkg_src}/${QUORVEL_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${quorvel_pkg_src}/${QUORVEL_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${quorvel_pkg_src}/quorvel.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
foreach(program ${quorvel_installed_programs})
  install(FILES ${quorvel_pkg_src}/completion/quorvel-cli
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME ${program})
endforeach()
install(FILES ${quorvel_pkg_src}/copyright DESTINATION ${quorvel_doc_dir})

# Manual pages and the changelog carry the version and go in compressed, as
# Debian wants them (gzip -n: no name or time stamp, so builds are repeatable).
set(quorvel_gz_files)
function(quorvel_gzip source output)
  get_filename_component(name ${source} NAME)
  configure_file(${source} ${quorvel_pkg_bin}/${name} @ONLY)
  add_custom_command(OUTPUT ${output}
    COMMAND gzip -9nc ${quorvel_pkg_bin}/${name} > ${output}
    DEPENDS ${quorvel_pkg_bin}/${name} VERBATIM)
  set(quorvel_gz_files ${quorvel_gz_files} ${output} PARENT_SCOPE)
endfunction()
foreach(page ${quorvel_installed_programs})
  quorvel_gzip(${quorvel_pkg_src}/man/${page}.1 ${quorvel_pkg_bin}/${page}.1.gz)
  install(FILES ${quorvel_pkg_bin}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
quorvel_gzip(${quorvel_pkg_src}/changelog ${quorvel_pkg_bin}/changelog.gz)
install(FILES ${quorvel_pkg_bin}/changelog.gz DESTINATION ${quorvel_doc_dir})

# The PNG sizes of the icon theme, rendered from the SVG.
find_program(RSVG_CONVERT rsvg-convert)
set(quorvel_png_files)
if(NOT QUORVEL_GUI)
  # No window, no icon.
elseif(RSVG_CONVERT)
  foreach(size 16 22 24 32 48 64 128 256)
    set(png ${quorvel_pkg_bin}/icons/${size}x${size}/quorvel.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${quorvel_pkg_bin}/icons/${size}x${size}
      COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${quorvel_pkg_src}/quorvel.svg
      DEPENDS ${quorvel_pkg_src}/quorvel.svg VERBATIM)
    list(APPEND quorvel_png_files ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
else()
  message(STATUS "rsvg-convert not found: the icon is installed as SVG only")
endif()

add_custom_target(quorvel_install_files ALL DEPENDS ${quorvel_gz_files} ${quorvel_png_files})
