# Runs at install time (cmake --install, cpack) with CMAKE_INSTALL_PREFIX set
# to the prefix being installed to. Makes the unit and the configuration
# files for that prefix and installs them; configuration files that already
# exist are the admin's and stay as they are.

# The GNU rule: a /usr (or /) installation keeps its configuration in /etc
# and its state in /var; any other prefix keeps both below itself.
if(CMAKE_INSTALL_PREFIX MATCHES "^/(usr/?)?$")
  set(QS_CONFDIR /etc/quillspur)
  set(QS_STATEDIR /var/lib/quillspur)
else()
  set(QS_CONFDIR ${CMAKE_INSTALL_PREFIX}/etc/quillspur)
  set(QS_STATEDIR ${CMAKE_INSTALL_PREFIX}/var/lib/quillspur)
endif()
set(QS_BIN ${CMAKE_INSTALL_PREFIX}/${QS_BINDIR})

# The program reads /etc/quillspur/registry.reg unless told otherwise.
set(QS_UNIT_ENVIRONMENT "")
if(NOT QS_CONFDIR STREQUAL "/etc/quillspur")
  set(QS_UNIT_ENVIRONMENT
    "Environment=QUILLSPUR_REGISTRY=${QS_CONFDIR}/registry.reg\n")
endif()
# quillspur-check's findings reach the journal; its failure stops nothing.
set(QS_UNIT_CHECK "")
if(QS_HAVE_CHECK)
  set(QS_UNIT_CHECK
    "ExecStartPre=-${QS_BIN}/quillspur-check -q ${QS_CONFDIR}/jobs.ini\n")
endif()

configure_file(${QS_TEMPLATES}/quillspur.service.in
  ${QS_OUTPUT}/quillspur.service @ONLY)
configure_file(${QS_TEMPLATES}/jobs.ini.in ${QS_OUTPUT}/jobs.ini @ONLY)
configure_file(${QS_TEMPLATES}/registry.reg.in ${QS_OUTPUT}/registry.reg @ONLY)

file(INSTALL ${QS_OUTPUT}/quillspur.service
  DESTINATION ${CMAKE_INSTALL_PREFIX}/lib/systemd/system)
foreach(name jobs.ini registry.reg)
  if(NOT EXISTS "$ENV{DESTDIR}${QS_CONFDIR}/${name}")
    file(INSTALL ${QS_OUTPUT}/${name} DESTINATION ${QS_CONFDIR})
  endif()
endforeach()
