# Run by `cmake --install` (component "permissions"): the program folder belongs to root
# and may be read and run only by members of the group `nurivelm`; nobody but root may
# change anything in it. Each member runs an own copy, seeded from here at their first
# start and updated in their own data folder, so no account can change what another runs.
# Needs root; a staged install (DESTDIR) leaves this to the package's own scripts.
set(group nurivelm)
set(folder "${CMAKE_INSTALL_PREFIX}")
set(odbc_ini /etc/odbc.ini)

if(DEFINED ENV{DESTDIR} AND NOT "$ENV{DESTDIR}" STREQUAL "")
  message(STATUS "Staged install: group ${group} and the permissions of ${folder} are left to the package scripts")
  return()
endif()
execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT uid STREQUAL "0")
  message(WARNING "Not root: group ${group} and the permissions of ${folder} were not set")
  return()
endif()

# Only a folder of the program's own is closed to others, never a shared one such as /usr/local.
get_filename_component(folder "${folder}" REALPATH)
foreach(shared / /usr /usr/local /usr/bin /usr/local/bin /opt /bin /home /tmp /var)
  if(folder STREQUAL shared)
    message(FATAL_ERROR "${folder} is shared with other programs: install into a folder of the program's own "
                        "(the default prefix /opt/nuritarn-to-nurivelm)")
  endif()
endforeach()

execute_process(COMMAND getent group ${group} RESULT_VARIABLE missing OUTPUT_QUIET)
if(missing)
  execute_process(COMMAND groupadd --system ${group} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "could not create the group ${group}")
  endif()
  message(STATUS "Created the group ${group}")
endif()

# Also closes an installation made when the folder was the group's to write.
execute_process(COMMAND chown -R root:root "${folder}")
execute_process(COMMAND chmod -R go-w,g-s "${folder}")
execute_process(COMMAND chgrp ${group} "${folder}")
execute_process(COMMAND chmod 0750 "${folder}")

# The data sources now live in each account's own odbc.ini. An earlier installation left
# the system one writable by the group: give it back to root.
if(EXISTS ${odbc_ini})
  execute_process(COMMAND stat -c %G ${odbc_ini} OUTPUT_VARIABLE owner_group OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(owner_group STREQUAL group)
    execute_process(COMMAND chown root:root ${odbc_ini})
    execute_process(COMMAND chmod 0644 ${odbc_ini})
    message(STATUS "${odbc_ini} is root's again (an earlier installation let ${group} write it)")
  endif()
endif()
message(STATUS "Members of ${group} may run ${folder}; only root may change it")
