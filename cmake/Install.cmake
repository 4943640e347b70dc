# Where an installation puts things (FHS places under the prefix), and the
# helpers that programs, libraries and desktop entries use to get there.
# The layout is relative to the prefix, so `cmake --install --prefix DIR`
# gives a working tree anywhere and the .deb puts the same tree under /usr.
include(GNUInstallDirs)

set(QM_INSTALL_BINDIR "${CMAKE_INSTALL_BINDIR}")
# QM_TOOL.ini: programs find it as <prefix>/share/qm_tool, relative to themselves.
set(QM_INSTALL_DATADIR "${CMAKE_INSTALL_DATAROOTDIR}/qm_tool")
# Private shared libraries of the suite (the link engine, the list control).
set(QM_INSTALL_LIBDIR "${CMAKE_INSTALL_LIBDIR}/qm_tool")
set(QM_INSTALL_UDEV_RULES_DIR "lib/udev/rules.d" CACHE STRING
    "Where the udev rule goes, relative to the prefix (lib/udev/rules.d: /usr/lib/udev/rules.d in the package)")
option(QM_INSTALL_UDEV_RULE "Install the udev rule that lets the logged-in user open the meters" ON)

# The data folder as seen from the programs' folder ("../share/qm_tool").
file(RELATIVE_PATH QM_DATA_DIR_FROM_BIN "/prefix/${QM_INSTALL_BINDIR}" "/prefix/${QM_INSTALL_DATADIR}")

# Installed programs find the suite's private libraries without any setting.
set(CMAKE_INSTALL_RPATH "$ORIGIN/../${QM_INSTALL_LIBDIR}")

# qm_install_library(target): a shared library of the suite.
function(qm_install_library target)
  install(TARGETS ${target} LIBRARY DESTINATION ${QM_INSTALL_LIBDIR})
endfunction()

# qm_desktop_entry(ID NAME ... EXEC ... ICON ... COMMENT ...): one applications-menu
# entry; the packaging folder installs every entry registered this way.
function(qm_desktop_entry id)
  cmake_parse_arguments(E "" "NAME;EXEC;ICON;COMMENT;CATEGORIES" "" ${ARGN})
  if(NOT E_CATEGORIES)
    set(E_CATEGORIES "Science;Electronics;")
  endif()
  set_property(GLOBAL APPEND PROPERTY QM_DESKTOP_ENTRIES ${id})
  foreach(field NAME EXEC ICON COMMENT CATEGORIES)
    set_property(GLOBAL PROPERTY QM_DESKTOP_ENTRY_${id}_${field} "${E_${field}}")
  endforeach()
endfunction()
