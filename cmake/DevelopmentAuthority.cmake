# The development builds' own certificate authority for the database connections, made
# once per build folder with openssl: the authority (built into the program), the test
# server's certificate and key for the loopback addresses the tests' servers use, and,
# for the refusal tests, a certificate of another authority and an expired one.
#   nutv_development_authority(<folder>)   sets NUTV_DB_CA_FILE in the caller's scope
function(nutv_development_authority dir)
  find_program(NUTV_OPENSSL openssl)
  if(NOT NUTV_OPENSSL)
    message(FATAL_ERROR "openssl is needed to make the development database authority (or set NUTV_DB_CA_FILE)")
  endif()
  set(addresses "")
  foreach(last RANGE 1 15)
    string(APPEND addresses "IP:127.0.0.${last},")
  endforeach()
  string(APPEND addresses "DNS:localhost")
  if(NOT EXISTS ${dir}/server-expired.pem)
    file(MAKE_DIRECTORY ${dir})
    file(WRITE ${dir}/server.ext "subjectAltName=${addresses}\nbasicConstraints=CA:FALSE\n")
    set(ec "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes")
    foreach(step
        "req -x509 ${ec} -keyout ca.key -out ca.pem -days 3650 -subj /CN=nutv-development-database-authority"
        "req -x509 ${ec} -keyout other-ca.key -out other-ca.pem -days 3650 -subj /CN=nutv-other-authority"
        "req ${ec} -keyout server.key -out server.csr -subj /CN=nutv-test-database-server"
        "x509 -req -in server.csr -CA ca.pem -CAkey ca.key -set_serial 1 -days 3650 -extfile server.ext -out server.pem"
        "x509 -req -in server.csr -CA other-ca.pem -CAkey other-ca.key -set_serial 2 -days 3650 -extfile server.ext -out server-other-ca.pem"
        "x509 -req -in server.csr -CA ca.pem -CAkey ca.key -set_serial 3 -days -1 -extfile server.ext -out server-expired.pem")
      separate_arguments(arguments UNIX_COMMAND "${step}")
      execute_process(COMMAND ${NUTV_OPENSSL} ${arguments} WORKING_DIRECTORY ${dir}
                      RESULT_VARIABLE failed OUTPUT_QUIET ERROR_VARIABLE said)
      if(failed)
        message(FATAL_ERROR "openssl ${step} failed: ${said}")
      endif()
    endforeach()
    file(CHMOD ${dir}/ca.key ${dir}/other-ca.key ${dir}/server.key PERMISSIONS OWNER_READ OWNER_WRITE)
  endif()
  set(NUTV_DB_CA_FILE ${dir}/ca.pem PARENT_SCOPE)
endfunction()
