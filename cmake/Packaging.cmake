# The installed layout and the Debian package. The program finds its language modules
# and the calculations library beside its own executable, so all three go into one
# private folder; a link in bin starts it from the menu entry or a shell.

include(GNUInstallDirs)

set(KVT_APP_ID com.venmark.KalvoraTools)
set(KVT_PROGRAM_DIR ${CMAKE_INSTALL_LIBDIR}/kalvora-tools)
set(KVT_PRODUCT_URL "https://www.venmark.example/kalvora-tools"
    CACHE STRING "Product web site named in the AppStream metadata")

install(TARGETS Kalvora_Tools RUNTIME DESTINATION ${KVT_PROGRAM_DIR})
if(TARGET Kalvora_Tools_Calculations_Common_x86)
    install(TARGETS Kalvora_Tools_Calculations_Common_x86 LIBRARY DESTINATION ${KVT_PROGRAM_DIR})
endif()
install(TARGETS Kalvora_Tools_Network Kalvora_Tools_Print LIBRARY DESTINATION ${KVT_PROGRAM_DIR})
install(FILES
    ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Kalvora_Tools_de_de.lang
    ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Kalvora_Tools_en_us.lang
    DESTINATION ${KVT_PROGRAM_DIR})

# A relative link, so that the unpacked package starts from any root.
file(RELATIVE_PATH kvt_link_target /${CMAKE_INSTALL_BINDIR} /${KVT_PROGRAM_DIR}/Kalvora_Tools)
file(CREATE_LINK ${kvt_link_target} ${CMAKE_BINARY_DIR}/kalvora-tools SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/kalvora-tools DESTINATION ${CMAKE_INSTALL_BINDIR})

set(packaging ${PROJECT_SOURCE_DIR}/packaging)
install(FILES ${packaging}/${KVT_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${packaging}/${KVT_APP_ID}.metainfo.xml.in ${CMAKE_BINARY_DIR}/${KVT_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/${KVT_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${packaging}/icons/${KVT_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48x48 256x256)
    install(FILES ${packaging}/icons/${size}/${KVT_APP_ID}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}/apps)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kalvora-tools)
set(CPACK_PACKAGE_VENDOR Venmark)
set(CPACK_PACKAGE_CONTACT "Venmark support <support@venmark.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Workshop calculator for machinists and CNC programmers")
set(CPACK_PACKAGE_DESCRIPTION
    "Cutting data, coolant, dividing head, sine bar, eccentric turning, cut-to-length, parallels, flanges with DXF export, drill depths and thread tables, dowel pins, RS-232 transfer of NC programs with an NC editor, and a tool database.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The platform plugins (xcb) and libcrypto (for the options file) are loaded at run time,
# so no library lookup finds them. zlib (zipped tool libraries) is found by the library
# lookup as well; named here so the package says so even where that lookup is switched off.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libssl3 | libssl3t64, zlib1g")
# The user's data folder and start-up settings are never part of the package, so removing
# it leaves them alone.
include(CPack)
