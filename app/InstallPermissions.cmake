# Run by `cmake --install` (component "permissions"): lets every member of the group
# `nurivelm` run the program, update it (the update tools write into the program folder)
# and write the ODBC data sources the program registers in the system odbc.ini.
# Needs root; a staged install (DESTDIR) leaves this to the package's own scripts.
set(group nurivelm)
set(folder "${CMAKE_INSTALL_PREFIX}")
set(odbc_ini /etc/odbc.ini)

if(DEFINED ENV{DESTDIR} AND NOT "$ENV{DESTDIR}" STREQUAL "")
  message(STATUS "Staged install: group ${group}, ${folder} and ${odbc_ini} are left to the package scripts")
  return()
endif()
execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT uid STREQUAL "0")
  message(WARNING "Not root: group ${group} and the permissions of ${folder} and ${odbc_ini} were not set")
  return()
endif()

# Only a folder of the program's own is handed over, never a shared one such as /usr/local.
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

# The program folder: the group may replace files in it; new files keep the group (setgid).
execute_process(COMMAND chgrp ${group} "${folder}")
execute_process(COMMAND chmod 2775 "${folder}")
foreach(file nuritarn-to-nurivelm UpdProbeV1.exe swapkit.exe nuritarn-to-nurivelm.png)
  if(EXISTS "${folder}/${file}")
    execute_process(COMMAND chgrp ${group} "${folder}/${file}")
    execute_process(COMMAND chmod g+w "${folder}/${file}")
  endif()
endforeach()

# unixODBC writes an existing odbc.ini in place, and refuses to create one.
if(NOT EXISTS ${odbc_ini})
  file(TOUCH ${odbc_ini})
endif()
execute_process(COMMAND chgrp ${group} ${odbc_ini})
execute_process(COMMAND chmod 0664 ${odbc_ini})
message(STATUS "Members of ${group} may run and update ${folder} and write ${odbc_ini}")
