# Values built into the program. A real installation sets them at configure time,
# e.g. -DNUTV_CENTRAL_DB_HOST=10.1.2.3; nothing at run time changes them.
set(NUTV_CENTRAL_DB_HOST "127.0.0.1" CACHE STRING "Address of the central administration / in-house database server")
set(NUTV_DOWNLOAD_SERVER "http://127.0.0.1:8480" CACHE STRING "Scheme, host and port of the download server")
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
