# Warnings always; warnings as errors where we build and test (./scripts/test, the demo
# and the benchmark turn it on), not for someone building from source with another
# compiler, where a new warning must not stop the build. An optional sanitizer build:
# NUTV_SANITIZE=ON (or address) for AddressSanitizer + UBSan, NUTV_SANITIZE=thread for
# ThreadSanitizer (the two cannot share a build).
option(NUTV_WERROR "Treat warnings as errors" OFF)
set(NUTV_SANITIZE OFF CACHE STRING "Sanitizers: OFF, ON or address (AddressSanitizer + UBSan), thread")
option(NUTV_BUILD_TESTS "Build the tests" ON)
option(NUTV_BUILD_BENCH "Build the benchmark (with the tests)" ON)

add_compile_options(-Wall -Wextra)
if(NUTV_WERROR)
  add_compile_options(-Werror)
endif()

if(NUTV_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NUTV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
