# What `cmake --install` lays out and the Debian package holds: the program, its man
# page, the xscreensaver hack description (with a field for the saver file) and the
# hack's link in the daemon's folder, and the thumbnailer with the MIME type it serves.
include(GNUInstallDirs)

install(TARGETS velquora-saver RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES docs/velquora-saver.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES data/velquora.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
install(FILES data/velquora-saver.thumbnailer DESTINATION ${CMAKE_INSTALL_DATADIR}/thumbnailers)
install(FILES data/velquora-saver-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME velquora-saver.xml)
# xscreensaver runs its hacks from its own folder; the link points back at the program.
set(VELQUORA_HACK_DIR ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)
file(RELATIVE_PATH VELQUORA_HACK_TARGET /${VELQUORA_HACK_DIR} /${CMAKE_INSTALL_BINDIR}/velquora-saver)
install(CODE "
  set(hack_dir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${VELQUORA_HACK_DIR}\")
  file(MAKE_DIRECTORY \"\${hack_dir}\")
  file(CREATE_LINK \"${VELQUORA_HACK_TARGET}\" \"\${hack_dir}/velquora-saver\" SYMBOLIC)
  message(STATUS \"Installing: \${hack_dir}/velquora-saver\")
")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velquora-saver)
set(CPACK_PACKAGE_VENDOR "Velquora Saver developers")
set(CPACK_PACKAGE_CONTACT "Velquora Saver developers <velquora-saver@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Player for Velquora scene screen savers")
set(CPACK_PACKAGE_DESCRIPTION "Plays Velquora scene screen saver files full screen, in a preview window,
as an xscreensaver hack, or headless to render pictures of a scene.")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "timgm6mb-soundfont | fluid-soundfont-gm, fonts-liberation, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
