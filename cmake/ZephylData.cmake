# SPDX-License-Identifier: GPL-2.0-or-later
# The programs find config.xml, layouts/, language/ and skins/ beside themselves; keep a copy of
# data/ in the build's binary folder, refreshed on every build.
add_custom_target(zephyl_data ALL
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/data ${ZEPHYL_RUNTIME_DIR}
  COMMENT "Copying data files beside the binaries")
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${ZEPHYL_RESOURCE_INSTALL_DIR}
  PATTERN "tools" EXCLUDE)
