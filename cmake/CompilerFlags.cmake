# Warnings and floating-point settings shared by every target of the project.
#
# The native and the Windows builds of the same portable code must compute the same floats, so
# both use SSE2 arithmetic (x87 keeps 80-bit intermediates) and neither contracts a*b+c into a
# fused multiply-add.
add_compile_options(-Wall -Wextra -Wshadow -ffp-contract=off)

if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    add_compile_options(-msse2 -mfpmath=sse)
  endif()
  # A stock Windows has no MinGW runtime DLLs: link the C and C++ runtimes and pthreads in.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501)
  set(CORVANE_WINDOWS ON)
else()
  set(CORVANE_WINDOWS OFF)
endif()

option(CORVANE_SANITIZE "Build native code with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(CORVANE_SANITIZE AND NOT CORVANE_WINDOWS)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()
