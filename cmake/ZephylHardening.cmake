# SPDX-License-Identifier: GPL-2.0-or-later
# Debian's hardening flags, as `DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags` gives
# them on Debian 12: fortified libc calls, stack protector, format checks, and a read-only
# relocation table bound at start. Every build gets them, because the Debian package is packed
# from the same build folder as the tests run in (make package), so the tests run what ships.
option(ZEPHYL_HARDENING "Build with Debian's hardening flags" ON)

if(ZEPHYL_HARDENING)
  add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
  add_link_options(-Wl,-z,relro -Wl,-z,now)
  # Fortified functions need the optimiser, and the sanitizers check the same calls themselves:
  # Debug and sanitizer builds go without. The definition follows the undefinition in one
  # option list, so a compiler that predefines another level does not warn of a redefinition.
  if(NOT CMAKE_BUILD_TYPE STREQUAL "Debug" AND NOT ZEPHYL_SANITIZE)
    add_compile_options(-U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2)
  endif()
endif()
