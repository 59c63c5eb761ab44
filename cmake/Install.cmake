# Installing as a desktop program (`cmake --install`) and the Debian package
# (`make package`). Included at the end of the top-level CMakeLists.txt.
include(GNUInstallDirs)

# The name the desktop entry, the icon and the AppStream data share.
set(FENWARDA_APP_ID "br.com.fenwarda.Fenwarda")
# The date of this version's release, for the AppStream data.
set(FENWARDA_RELEASE_DATE "2026-12-08")

# An installed program finds its desktop entry at this path from its own
# folder; that is how it knows its data belongs in the per-user data folder.
file(RELATIVE_PATH FENWARDA_ENTRY_FROM_BIN "${CMAKE_INSTALL_FULL_BINDIR}"
     "${CMAKE_INSTALL_FULL_DATADIR}/applications/${FENWARDA_APP_ID}.desktop")
target_compile_definitions(fenwarda_core PUBLIC FENWARDA_APP_ID="${FENWARDA_APP_ID}")
target_compile_definitions(fenwarda_core PRIVATE FENWARDA_ENTRY_FROM_BIN="${FENWARDA_ENTRY_FROM_BIN}")

# The icon's PNG sizes are drawn by the splash's own emblem code.
set(FENWARDA_ICON_SIZES 16 22 24 32 48 64 128 256)
add_executable(fenwarda_icons dist/make_icons.cpp)
target_link_libraries(fenwarda_icons PRIVATE fenwarda_gui)
set(icon_root "${CMAKE_BINARY_DIR}/icons")
set(icon_files)
foreach(size ${FENWARDA_ICON_SIZES})
  list(APPEND icon_files "${icon_root}/hicolor/${size}x${size}/apps/${FENWARDA_APP_ID}.png")
endforeach()
add_custom_command(OUTPUT ${icon_files}
  # Offscreen: a build machine has no display. No leak report: a sanitizer
  # build must not fail over Qt's process-lifetime allocations.
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:fenwarda_icons> "${icon_root}/hicolor" ${FENWARDA_APP_ID} ${FENWARDA_ICON_SIZES}
  DEPENDS fenwarda_icons
  COMMENT "Drawing the program's icon")
add_custom_target(fenwarda_icon_files ALL DEPENDS ${icon_files})

configure_file(dist/fenwarda.desktop.in "${CMAKE_BINARY_DIR}/dist/${FENWARDA_APP_ID}.desktop" @ONLY)
configure_file(dist/fenwarda.metainfo.xml.in "${CMAKE_BINARY_DIR}/dist/${FENWARDA_APP_ID}.metainfo.xml" @ONLY)

# The manual page and the changelog go compressed, as Debian has them:
# gzip -9 without the name and time stamp, so that a rebuild is identical.
set(doc_root "${CMAKE_BINARY_DIR}/doc")
configure_file(dist/fenwarda.1.in "${doc_root}/fenwarda.1" @ONLY)
configure_file(dist/changelog "${doc_root}/changelog" COPYONLY)
add_custom_command(OUTPUT "${doc_root}/fenwarda.1.gz" "${doc_root}/changelog.gz"
  COMMAND gzip -9nkf "${doc_root}/fenwarda.1" "${doc_root}/changelog"
  DEPENDS "${doc_root}/fenwarda.1" "${doc_root}/changelog"
  COMMENT "Compressing the manual page and the changelog")
add_custom_target(fenwarda_doc_files ALL DEPENDS "${doc_root}/fenwarda.1.gz" "${doc_root}/changelog.gz")

install(TARGETS fenwarda RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripped install drops the compiler's version notes too, as Debian's
# own packages do.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/fenwarda\"
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()")
install(FILES dist/copyright "${doc_root}/changelog.gz" DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES "${doc_root}/fenwarda.1.gz" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES "${CMAKE_BINARY_DIR}/dist/${FENWARDA_APP_ID}.desktop"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES "${CMAKE_BINARY_DIR}/dist/${FENWARDA_APP_ID}.metainfo.xml"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES dist/fenwarda.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${FENWARDA_APP_ID}.svg)
install(DIRECTORY "${icon_root}/hicolor" DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# The Debian package. Run-time libraries come from dpkg-shlibdeps; what the
# program loads as plugins or uses by name is listed by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fenwarda)
set(CPACK_PACKAGE_VENDOR "Fenwarda de Vídeo")
set(CPACK_PACKAGE_CONTACT "Fenwarda de Vídeo <suporte@fenwarda.com.br>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "balcão de uma locadora de vídeo")
# Lines of at most 80 characters, as Debian asks.
set(CPACK_PACKAGE_DESCRIPTION "\
O programa do balcão de uma pequena locadora de vídeo: cadastro de clientes
e de até três dependentes por cliente, acervo de vídeos com as cópias na
prateleira, notas de locação de até dezesseis vídeos com desconto e
impressão, devoluções, consultas e relatórios com visualização e impressão.
Todos os dados ficam num único arquivo SQLite por usuário, com uma cópia de
segurança verificada a cada saída do programa.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# SQLite driver plugin, window system plugins, Qt's own texts in Portuguese,
# Arial's metric twin for the printed note and reports.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libqt6sql6-psql, qt6-qpa-plugins, qt6-translations-l10n, fonts-liberation")
set(CPACK_STRIP_FILES ON)
include(CPack)
