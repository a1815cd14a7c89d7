# Cross-compiling for 64-bit ARM Linux with Debian's cross compiler; the tests run under qemu-user.
# Only the reader and what it stands on build this way (VEXO_MOTION_ONLY): GoogleTest is built for
# the target from /usr/src/googletest into VEXO_AARCH64_DEPS by scripts/test-aarch64.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(VEXO_AARCH64_TRIPLET aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${VEXO_AARCH64_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${VEXO_AARCH64_TRIPLET}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${VEXO_AARCH64_TRIPLET} ${VEXO_AARCH64_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under qemu, which finds the target's C library and loader in the cross tree.
find_program(VEXO_QEMU_AARCH64 qemu-aarch64)
if(VEXO_QEMU_AARCH64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VEXO_QEMU_AARCH64} -L /usr/${VEXO_AARCH64_TRIPLET})
endif()
