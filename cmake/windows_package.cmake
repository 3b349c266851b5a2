# The Windows product: lintavo.exe as a windowed program with its icon, installed into one
# folder with everything it loads, and packed by CPack as an NSIS installer,
# Lintavo-<version>-win64.exe, and as a portable .zip of the same files.
#   LINTAVO_QT_DIR   Qt for MinGW (by default the prefix the build found Qt in)

set_target_properties(lintavo PROPERTIES WIN32_EXECUTABLE ON)
configure_file(${PROJECT_SOURCE_DIR}/resources/lintavo.rc.in ${PROJECT_BINARY_DIR}/lintavo.rc @ONLY)
target_sources(lintavo PRIVATE ${PROJECT_BINARY_DIR}/lintavo.rc)

get_filename_component(qt_prefix "${Qt6_DIR}/../../.." ABSOLUTE)
set(LINTAVO_QT_DIR ${qt_prefix} CACHE PATH "Qt for MinGW whose DLLs the installer ships")
set(LINTAVO_MINGW_RUNTIME_DIRS
    /usr/lib/gcc/x86_64-w64-mingw32/12-posix /usr/x86_64-w64-mingw32/lib
    CACHE STRING "Where the MinGW runtime DLLs are")
set(LINTAVO_QT_TRANSLATIONS_DIR /usr/share/qt6/translations
    CACHE PATH "Qt's translations (Debian's qt6-translations-l10n)")

# What lintavo.exe and the two plugins import, found with
# x86_64-w64-mingw32-objdump -p FILE | grep 'DLL Name'; the rest are Windows' own.
foreach(dll IN ITEMS Qt6Core Qt6Gui Qt6Widgets Qt6PrintSupport)
    install(FILES ${LINTAVO_QT_DIR}/bin/${dll}.dll DESTINATION .)
endforeach()
install(FILES ${LINTAVO_QT_DIR}/plugins/platforms/qwindows.dll DESTINATION platforms)
install(FILES ${LINTAVO_QT_DIR}/plugins/styles/qwindowsvistastyle.dll DESTINATION styles)
foreach(dll IN ITEMS libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    find_file(runtime_${dll} ${dll} PATHS ${LINTAVO_MINGW_RUNTIME_DIRS} NO_DEFAULT_PATH
        NO_CMAKE_FIND_ROOT_PATH REQUIRED)
    install(FILES ${runtime_${dll}} DESTINATION .)
endforeach()
install(FILES ${LINTAVO_QT_TRANSLATIONS_DIR}/qtbase_zh_CN.qm DESTINATION translations)

# The same DLLs and plugins beside the programs in the build folder, so that bin/lintavo.exe,
# bin/lintavo-driver.exe and the tests run as they are (the driver and the tests also load
# Qt's Test DLL).
set(bin ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
set(beside_programs)
foreach(dll IN ITEMS Qt6Core Qt6Gui Qt6Widgets Qt6PrintSupport Qt6Test)
    list(APPEND beside_programs ${LINTAVO_QT_DIR}/bin/${dll}.dll)
endforeach()
foreach(dll IN ITEMS libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    list(APPEND beside_programs ${runtime_${dll}})
endforeach()
add_custom_target(windows_runtime ALL
    COMMAND ${CMAKE_COMMAND} -E make_directory ${bin}/platforms ${bin}/styles
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${beside_programs} ${bin}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
            ${LINTAVO_QT_DIR}/plugins/platforms/qwindows.dll
            ${LINTAVO_QT_DIR}/plugins/platforms/qoffscreen.dll ${bin}/platforms
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
            ${LINTAVO_QT_DIR}/plugins/styles/qwindowsvistastyle.dll ${bin}/styles
    COMMAND ${CMAKE_COMMAND} -E make_directory ${bin}/translations
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
            ${LINTAVO_QT_TRANSLATIONS_DIR}/qtbase_zh_CN.qm ${bin}/translations
    COMMENT "Copying the Qt and MinGW runtime DLLs beside the programs"
    VERBATIM)
# Qt's own paths (plugins, translations) point into the program's folder, not into the
# folder where Qt was built.
file(WRITE ${PROJECT_BINARY_DIR}/qt.conf "[Paths]\nPrefix = .\nPlugins = .\nTranslations = translations\n")
install(FILES ${PROJECT_BINARY_DIR}/qt.conf DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
# lintavo-calc's manual pages, rendered on the build machine as UTF-8 text with a byte-order
# mark (so that Notepad opens them right) and Windows line ends: Windows has no man.
foreach(page IN ITEMS lintavo-calc lintavo-calc.zh_CN)
    set(text ${PROJECT_BINARY_DIR}/${page}.txt)
    add_custom_command(OUTPUT ${text}
        COMMAND sh -c "{ printf '\\357\\273\\277'; MANWIDTH=80 LC_ALL=C.UTF-8 man -E UTF-8 -l \"$1\" | sed 's/$/\\r/'; } >\"$2\""
                render ${PROJECT_SOURCE_DIR}/packaging/${page}.1 ${text}
        DEPENDS ${PROJECT_SOURCE_DIR}/packaging/${page}.1
        VERBATIM)
    list(APPEND calc_manuals ${text})
endforeach()
add_custom_target(lintavo_calc_manuals ALL DEPENDS ${calc_manuals})
install(FILES ${calc_manuals} DESTINATION .)
# Debian's MinGW runtime DLLs and the prebuilt Qt keep their symbols; the program needs none.
install(CODE "
    file(GLOB_RECURSE dlls \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/*.dll\")
    foreach(dll IN LISTS dlls)
        execute_process(COMMAND ${CMAKE_STRIP} --strip-unneeded \${dll} COMMAND_ERROR_IS_FATAL ANY)
    endforeach()")

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_NAME Lintavo)
set(CPACK_PACKAGE_VENDOR "The Lintavo developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Lintavo 明渠均匀流计算")
set(CPACK_PACKAGE_FILE_NAME Lintavo-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Lintavo)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Lintavo)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# The Start menu's entry: its own folder, with the program and the uninstaller in it.
set(CPACK_PACKAGE_EXECUTABLES lintavo "Lintavo 明渠均匀流计算")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME Lintavo)
set(CPACK_NSIS_DISPLAY_NAME "Lintavo 明渠均匀流计算")
set(CPACK_NSIS_INSTALLED_ICON_NAME lintavo.exe)
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/resources/lintavo.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/resources/lintavo.ico)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# The installer keeps its folder under the vendor's registry key; the uninstaller removes
# that key too, so that nothing is left behind.
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "
  DeleteRegKey SHCTX \"Software\\${CPACK_PACKAGE_VENDOR}\\${CPACK_PACKAGE_INSTALL_REGISTRY_KEY}\"
  DeleteRegKey /ifempty SHCTX \"Software\\${CPACK_PACKAGE_VENDOR}\"")
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_NSIS_MODIFY_PATH OFF)
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
set(CPACK_NSIS_URL_INFO_ABOUT https://lintavo.org/)
# A 64-bit Unicode installer: the program is 64-bit, and its names are Chinese.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
include(CPack)
