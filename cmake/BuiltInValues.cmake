# Values built into the program. A real installation sets them at configure time,
# e.g. -DNUTV_CENTRAL_DB_HOST=10.1.2.3; nothing at run time changes them.
set(NUTV_CENTRAL_DB_HOST "127.0.0.1" CACHE STRING "Address of the central administration / in-house database server")
set(NUTV_DOWNLOAD_SERVER "http://127.0.0.1:8480" CACHE STRING "Scheme, host and port of the download server")
