# Cross-compiling for 64-bit Arm with Debian's cross compilers and the arm64
# packages installed beside the amd64 ones (multiarch); the tests run under
# qemu's user-mode emulator. Qt's host tools (moc, rcc, uic) are the amd64
# ones that the arm64 packages use.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
# pkg-config reads the arm64 packages' .pc files, not the amd64 ones.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static)
set(QT_HOST_PATH /usr CACHE PATH "where Qt's host tools are")
