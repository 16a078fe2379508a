# SPDX-License-Identifier: MIT
# A Windows build's programs, tests and DLLs all land in bin/ with what they need to run there:
# Qt's DLLs and plugins and the compiler's runtime DLLs are copied beside them, as windeployqt
# would lay them out, so that Wine (or Windows) runs any of them with no PATH set up.
# KESTRIN_DEPLOY_FILES lists, relative to bin/, what a user's copy of the window needs
# (Qt's test library, the offscreen platform and the tests stay out of it).
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

if(NOT KESTRIN_BUILD_GUI)
  return()
endif()

get_target_property(kestrin_qtcore_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
if(NOT kestrin_qtcore_dll)
  get_target_property(kestrin_qtcore_dll Qt6::Core IMPORTED_LOCATION)
endif()
get_filename_component(kestrin_qt_bin ${kestrin_qtcore_dll} DIRECTORY)
get_filename_component(kestrin_qt_plugins ${kestrin_qt_bin}/../plugins ABSOLUTE)

# The compiler's runtime, found where the compiler keeps it.
set(kestrin_runtime_dlls)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${found}" OR NOT EXISTS "${found}")
    message(FATAL_ERROR "The compiler's ${dll} was not found (${CMAKE_CXX_COMPILER})")
  endif()
  list(APPEND kestrin_runtime_dlls ${found})
endforeach()

set(kestrin_copies)
set(KESTRIN_DEPLOY_FILES)
# Copies SOURCE into bin/DEST; what only the tests need stays out of KESTRIN_DEPLOY_FILES.
function(kestrin_copy_runtime source dest test_only)
  get_filename_component(name ${source} NAME)
  if(dest)
    set(out ${CMAKE_BINARY_DIR}/bin/${dest}/${name})
    set(rel ${dest}/${name})
  else()
    set(out ${CMAKE_BINARY_DIR}/bin/${name})
    set(rel ${name})
  endif()
  add_custom_command(OUTPUT ${out} COMMAND ${CMAKE_COMMAND} -E copy_if_different ${source} ${out}
                     DEPENDS ${source} VERBATIM)
  set(kestrin_copies ${kestrin_copies} ${out} PARENT_SCOPE)
  if(NOT test_only)
    set(KESTRIN_DEPLOY_FILES ${KESTRIN_DEPLOY_FILES} ${rel} PARENT_SCOPE)
  endif()
endfunction()

foreach(dll ${kestrin_runtime_dlls})
  kestrin_copy_runtime(${dll} "" FALSE)
endforeach()
foreach(module Core Gui Widgets)
  kestrin_copy_runtime(${kestrin_qt_bin}/Qt6${module}.dll "" FALSE)
endforeach()
kestrin_copy_runtime(${kestrin_qt_bin}/Qt6Test.dll "" TRUE)
kestrin_copy_runtime(${kestrin_qt_plugins}/platforms/qwindows.dll platforms FALSE)
kestrin_copy_runtime(${kestrin_qt_plugins}/platforms/qoffscreen.dll platforms TRUE)
kestrin_copy_runtime(${kestrin_qt_plugins}/styles/qwindowsvistastyle.dll styles FALSE)
# Qt's own translations (the message boxes' buttons, the file dialogs) for every language Qt
# has, into translations/ where the window looks for them: the host's (Debian:
# qt6-translations-l10n), which are the same for every platform of this Qt version.
find_path(KESTRIN_QT_TRANSLATIONS qtbase_de.qm
          HINTS ${QT_HOST_PATH}/share/qt6/translations /usr/share/qt6/translations
          NO_CMAKE_FIND_ROOT_PATH)
if(NOT KESTRIN_QT_TRANSLATIONS)
  message(FATAL_ERROR "Qt's translations (qtbase_de.qm) not found: install qt6-translations-l10n")
endif()
file(GLOB kestrin_qt_qm ${KESTRIN_QT_TRANSLATIONS}/qtbase_*.qm)
foreach(qm ${kestrin_qt_qm})
  kestrin_copy_runtime(${qm} translations FALSE)
endforeach()
add_custom_target(kestrin_windows_runtime ALL DEPENDS ${kestrin_copies})
