# Warnings as errors everywhere; an optional AddressSanitizer + UBSan build.
option(NUTV_WERROR "Treat warnings as errors" ON)
option(NUTV_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(NUTV_BUILD_TESTS "Build the tests" ON)

add_compile_options(-Wall -Wextra)
if(NUTV_WERROR)
  add_compile_options(-Werror)
endif()

if(NUTV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
