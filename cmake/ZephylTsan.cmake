# SPDX-License-Identifier: GPL-2.0-or-later
# Qt is not built with ThreadSanitizer; programs and tests that run Qt carry the suppressions of
# cmake/tsan.supp, so they need no environment of their own; other builds never read them.
file(READ ${CMAKE_SOURCE_DIR}/cmake/tsan.supp ZEPHYL_TSAN_SUPPRESSIONS)
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/cmake/tsan.supp)
configure_file(${CMAKE_SOURCE_DIR}/cmake/TsanSuppressions.cpp.in
  ${CMAKE_BINARY_DIR}/TsanSuppressions.cpp @ONLY)

function(zephyl_tsan_suppressions target)
  target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/TsanSuppressions.cpp)
endfunction()
