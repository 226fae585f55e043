# What `cmake --install` puts where, and so what the packages hold. The program reads the model named
# on its command line, or sphere_k.obj from its working directory: on Linux a desktop entry starts it
# in the installed model's folder (or hands it a file), on Windows the model lies beside springview.exe,
# whose folder a double-click starts it in. The importer, springview-import, lies beside the viewer.
set(sv_packaging ${PROJECT_SOURCE_DIR}/packaging)

if(WIN32)
  # Notepad's line ends, for the one text file of the zip.
  file(READ ${sv_packaging}/README-windows.txt sv_readme)
  string(REPLACE "\n" "\r\n" sv_readme "${sv_readme}")
  file(WRITE ${PROJECT_BINARY_DIR}/packaging/README.txt "${sv_readme}")
  # The importer's manual page as plain text, for Notepad too.
  execute_process(COMMAND groff -man -Tascii -P-cbou ${sv_packaging}/springview-import.1
                  OUTPUT_VARIABLE sv_manual RESULT_VARIABLE sv_failed)
  if(sv_failed)
    message(FATAL_ERROR "groff cannot format springview-import.1")
  endif()
  string(REPLACE "\n" "\r\n" sv_manual "${sv_manual}")
  file(WRITE ${PROJECT_BINARY_DIR}/packaging/springview-import.txt "${sv_manual}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${sv_packaging}/springview-import.1
                                                               ${sv_packaging}/README-windows.txt)
  install(TARGETS springview springview-import RUNTIME DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/assets/sphere_k.obj ${PROJECT_BINARY_DIR}/packaging/README.txt
                ${PROJECT_BINARY_DIR}/packaging/springview-import.txt DESTINATION .)
  return()
endif()

include(GNUInstallDirs)
set(SV_PACKAGE_MAINTAINER "springview developers <springview@example.org>"
    CACHE STRING "Maintainer of the Debian package, as Name <address>")
set(sv_made ${PROJECT_BINARY_DIR}/packaging)

# The icon is the scene itself, drawn offscreen by snapshot at each size the icon theme lists.
set(sv_icon_sizes 48 128 256)
set(sv_made_files)
foreach(size ${sv_icon_sizes})
  set(icon ${sv_made}/icons/${size}x${size}/springview.png)
  add_custom_command(OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${sv_made}/icons/${size}x${size}
    COMMAND snapshot --frames 40 --seed 1 --size ${size}x${size} ${icon}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}/assets
    DEPENDS snapshot ${PROJECT_SOURCE_DIR}/assets/sphere_k.obj
    COMMENT "Drawing the ${size}x${size} icon" VERBATIM)
  list(APPEND sv_made_files ${icon})
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Debian keeps change logs and manual pages compressed, without a time stamp (gzip -n).
configure_file(${sv_packaging}/changelog.in ${sv_made}/changelog @ONLY)
foreach(file ${sv_made}/changelog ${sv_packaging}/springview.1 ${sv_packaging}/springview-import.1)
  get_filename_component(name ${file} NAME)
  add_custom_command(OUTPUT ${sv_made}/${name}.gz
    COMMAND sh -c "gzip -9nc \"$0\" > \"$1\"" ${file} ${sv_made}/${name}.gz
    DEPENDS ${file} VERBATIM)
  list(APPEND sv_made_files ${sv_made}/${name}.gz)
endforeach()
add_custom_target(sv_install_files ALL DEPENDS ${sv_made_files})

install(TARGETS springview springview-import RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/assets/sphere_k.obj DESTINATION ${CMAKE_INSTALL_DATADIR}/springview)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${sv_packaging}/copyright ${sv_made}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${sv_made}/springview.1.gz ${sv_made}/springview-import.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The desktop entry names the installed program and the model's folder by their full paths, known
# only when installing (cmake --install --prefix, or the package's /usr).
install(CODE "
  set(SV_INSTALLED_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/springview\")
  set(SV_INSTALLED_MODEL_DIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/springview\")
  configure_file(\"${sv_packaging}/springview.desktop.in\" \"${sv_made}/springview.desktop\" @ONLY)
  file(INSTALL \"${sv_made}/springview.desktop\"
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")
")
