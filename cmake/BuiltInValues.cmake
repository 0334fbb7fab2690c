# Values built into the program. A real installation sets them at configure time,
# e.g. -DNUTV_CENTRAL_DB_HOST=10.1.2.3; nothing at run time changes them. This file is
# their one source: the program reads them from a generated header
# (src/common/BuiltInValues.h.in), the scripts and the test server from a generated
# shell file, ${CMAKE_BINARY_DIR}/built-in-values.sh (cmake/built-in-values.sh.in).
set(NUTV_CENTRAL_DB_HOST "127.0.0.1" CACHE STRING "Address of the central administration / in-house database server")
set(NUTV_DOWNLOAD_SERVER "http://127.0.0.1:8480" CACHE STRING "Scheme, host and port of the download server")

# The accounts the program signs in with: the administrator of the central server (it
# reads app_admin), the in-house account (sign-in and machine admission) and the
# password every customer account has.
set(NUTV_ADMIN_ACCOUNT "root" CACHE STRING "Administrator account on the central database server")
set(NUTV_ADMIN_PASSWORD "qorvmtnex7.." CACHE STRING "Password of the central server's administrator account")
set(NUTV_INHOUSE_ACCOUNT "vr_inhouse" CACHE STRING "Account (and database) of the in-house database")
set(NUTV_INHOUSE_PASSWORD "tkxq3851" CACHE STRING "Password of the in-house account")
set(NUTV_CUSTOMER_PASSWORD "zq418263" CACHE STRING "Password of every customer's database account")

# Each value goes into a C++ string literal and a single-quoted shell word unchanged.
foreach(value NUTV_CENTRAL_DB_HOST NUTV_DOWNLOAD_SERVER NUTV_ADMIN_ACCOUNT NUTV_ADMIN_PASSWORD
              NUTV_INHOUSE_ACCOUNT NUTV_INHOUSE_PASSWORD NUTV_CUSTOMER_PASSWORD)
  if("${${value}}" MATCHES "[\"'\\\\\n]")
    message(FATAL_ERROR "${value} must not contain quotes, backslashes or line breaks")
  endif()
endforeach()

# The public key (64 hex digits, from `nutv-update-sign keygen`) that every downloaded
# program and update tool must be signed with; empty: updates are not signed.
set(NUTV_UPDATE_PUBLIC_KEY "" CACHE STRING "Ed25519 public key of signed updates (hex); empty for unsigned updates")
if(NOT NUTV_UPDATE_PUBLIC_KEY STREQUAL "" AND NOT NUTV_UPDATE_PUBLIC_KEY MATCHES "^[0-9a-fA-F]+$")
  message(FATAL_ERROR "NUTV_UPDATE_PUBLIC_KEY must be 64 hexadecimal digits (or empty)")
endif()
string(LENGTH "${NUTV_UPDATE_PUBLIC_KEY}" key_length)
if(NOT key_length EQUAL 0 AND NOT key_length EQUAL 64)
  message(FATAL_ERROR "NUTV_UPDATE_PUBLIC_KEY must be 64 hexadecimal digits (or empty)")
endif()

# Updates are signed unless a build says plainly that they need not be: a build to ship
# (Release, MinSizeRel, or no build type) without a key stops here. The development builds
# (Debug, RelWithDebInfo: the tests, the demo, the benchmark) may go without one.
option(NUTV_ALLOW_UNSIGNED_UPDATES "Allow a build to ship without NUTV_UPDATE_PUBLIC_KEY (unsigned updates)" OFF)
if(key_length EQUAL 0)
  set(unsigned_warning "this build accepts UNSIGNED updates: whoever can answer for the download server (DNS, proxy, \
network) can make it download and run a program of their own")
  if(NUTV_ALLOW_UNSIGNED_UPDATES OR CMAKE_BUILD_TYPE MATCHES "^(Debug|RelWithDebInfo)$")
    message(WARNING "NUTV_UPDATE_PUBLIC_KEY is empty: ${unsigned_warning}.")
  else()
    message(SEND_ERROR "NUTV_UPDATE_PUBLIC_KEY is empty. A build to ship (Release, MinSizeRel, no build type) needs \
the public key of signed updates (`nutv-update-sign keygen`, see README). To build one that accepts unsigned updates \
all the same, set NUTV_ALLOW_UNSIGNED_UPDATES=ON: ${unsigned_warning}.")
  endif()
endif()

# The certificate authority (a PEM file) that every database server's certificate must come
# from; its text is built into the program. Every database connection is encrypted and
# the server's certificate checked against it and the address connected to. A build to
# ship without one stops here unless NUTV_ALLOW_PLAINTEXT_DB=ON says plainly that its
# connections may go in clear text. The development builds make an authority of their own
# (cmake/DevelopmentAuthority.cmake), with certificates for the test and demo servers.
set(NUTV_DB_CA_FILE "" CACHE FILEPATH "Certificate authority (PEM) of the database servers' certificates")
option(NUTV_ALLOW_PLAINTEXT_DB "Allow a build without NUTV_DB_CA_FILE: database connections in clear text" OFF)
set(NUTV_DB_TEST_CERTIFICATES "")
if(NUTV_DB_CA_FILE STREQUAL "")
  set(plaintext_warning "this build connects to every database server in CLEAR TEXT: whoever is on the network \
path reads the customers' data and the built-in passwords, and can answer as the server")
  if(NUTV_ALLOW_PLAINTEXT_DB)
    message(WARNING "NUTV_DB_CA_FILE is empty: ${plaintext_warning}.")
  elseif(CMAKE_BUILD_TYPE MATCHES "^(Debug|RelWithDebInfo)$")
    include(${CMAKE_CURRENT_LIST_DIR}/DevelopmentAuthority.cmake)
    set(NUTV_DB_TEST_CERTIFICATES ${CMAKE_BINARY_DIR}/database-authority)
    nutv_development_authority(${NUTV_DB_TEST_CERTIFICATES})
    message(STATUS "Database connections: the development authority ${NUTV_DB_CA_FILE}")
  else()
    message(SEND_ERROR "NUTV_DB_CA_FILE is empty. A build to ship (Release, MinSizeRel, no build type) needs the \
certificate authority of the database servers' certificates (see README). To build one without it all the same, \
set NUTV_ALLOW_PLAINTEXT_DB=ON: ${plaintext_warning}.")
  endif()
endif()
set(NUTV_DB_CA_PEM "")
if(NOT NUTV_DB_CA_FILE STREQUAL "")
  if(NOT EXISTS "${NUTV_DB_CA_FILE}")
    message(FATAL_ERROR "NUTV_DB_CA_FILE names no file: ${NUTV_DB_CA_FILE}")
  endif()
  file(READ "${NUTV_DB_CA_FILE}" NUTV_DB_CA_PEM)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${NUTV_DB_CA_FILE}")
  if(NOT NUTV_DB_CA_PEM MATCHES "-----BEGIN CERTIFICATE-----" OR NUTV_DB_CA_PEM MATCHES "[)]pem\"")
    message(FATAL_ERROR "NUTV_DB_CA_FILE must be a PEM file of certificates: ${NUTV_DB_CA_FILE}")
  endif()
endif()

configure_file(${CMAKE_CURRENT_LIST_DIR}/built-in-values.sh.in ${CMAKE_BINARY_DIR}/built-in-values.sh @ONLY)
