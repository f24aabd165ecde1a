# The product: 32-bit x86 programs, which run on 32-bit and 64-bit Windows
# (WOW64) and on Windows on ARM (x86 emulation).
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
