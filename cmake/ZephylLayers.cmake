# SPDX-License-Identifier: GPL-2.0-or-later
# The layers of src/, lowest first:
#
#   xml, platform, text  ->  store, catalogue, protocol  ->  device  ->  app
#     ->  keys, lighting, screen, update (the features)  ->  core (the features registered)
#     ->  ui and cli, side by side  ->  main
#
# beside them the control library (glint), which sits on the lowest layer and catalogue's layout
# types and which no feature uses, and the virtual keyboard (virtual), a library of its own that
# shares only the XML document with the program.
#
# One row per folder of src/: the folders whose headers its files may include and whose
# libraries its targets may link. A folder may always use itself. test_layering reads every
# #include of src/ against this table; zephyl_check_link_layers() holds the link graph to it at
# configure time. A new folder of src/ needs its row before it builds.

#                folder     may use
set(ZEPHYL_LAYER_xml)
set(ZEPHYL_LAYER_platform)
# The language files are found in the resource folder, which platform knows.
set(ZEPHYL_LAYER_text       platform)
set(ZEPHYL_LAYER_store      xml platform text)
set(ZEPHYL_LAYER_catalogue  xml platform text)
set(ZEPHYL_LAYER_protocol   xml platform text)
set(ZEPHYL_LAYER_device     xml platform text store catalogue protocol)
set(ZEPHYL_LAYER_app        xml platform text store catalogue protocol device)
set(ZEPHYL_LAYER_keys       xml platform text store catalogue protocol device app)
set(ZEPHYL_LAYER_lighting   xml platform text store catalogue protocol device app)
set(ZEPHYL_LAYER_screen     xml platform text store catalogue protocol device app)
set(ZEPHYL_LAYER_update     xml platform text store catalogue protocol device app)
set(ZEPHYL_LAYER_appprofiles xml platform text store catalogue protocol device app)
# The SDK server presents the keyboard to other programs: its Direct mode streams like custom
# lighting and its further modes are the lighting feature's effects.
set(ZEPHYL_LAYER_sdkserver xml platform text store catalogue protocol device app lighting)
# The core builder registers every feature on the controller for both programs.
set(ZEPHYL_LAYER_core       xml platform text store catalogue protocol device app
                            keys lighting screen update appprofiles sdkserver)
set(ZEPHYL_LAYER_glint      xml platform text catalogue)
set(ZEPHYL_LAYER_ui         xml platform text store catalogue protocol device app
                            keys lighting screen update appprofiles sdkserver core glint)
set(ZEPHYL_LAYER_cli        xml platform text store catalogue protocol device app
                            keys lighting screen update appprofiles sdkserver core)
set(ZEPHYL_LAYER_main       xml platform text store catalogue protocol device app
                            keys lighting screen update appprofiles sdkserver core glint ui cli)
# The virtual keyboard reads config.xml and the layouts with the program's XML document and
# nothing else of the program: it is loaded in place of hidapi and must not drag the core in.
set(ZEPHYL_LAYER_virtual    xml)

# Includes allowed against the table, one "file|folder" each, every one with the work that
# removes it. None today.
set(ZEPHYL_LAYER_EXCEPTIONS)

# Only these folders may link Qt: the core libraries and zephylctl build without it.
set(ZEPHYL_QT_FOLDERS glint ui main)

set(ZEPHYL_LAYER_FOLDERS xml platform text store catalogue protocol device app keys lighting
  screen update appprofiles sdkserver core glint ui cli main virtual)

# The folder of src/ a target was defined in, or "" for targets outside src/.
function(zephyl_target_folder target out)
  get_target_property(imported ${target} IMPORTED)
  if(imported)
    set(${out} "" PARENT_SCOPE)
    return()
  endif()
  get_target_property(dir ${target} SOURCE_DIR)
  file(RELATIVE_PATH relative ${CMAKE_SOURCE_DIR}/src ${dir})
  if(relative MATCHES "^\\.\\." OR relative STREQUAL "")
    set(${out} "" PARENT_SCOPE)
    return()
  endif()
  string(REGEX REPLACE "/.*" "" folder "${relative}")
  set(${out} ${folder} PARENT_SCOPE)
endfunction()

function(zephyl_collect_targets dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir ${subdirs})
    zephyl_collect_targets(${subdir} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Every target of src/ links only libraries of its own folder or of folders its row allows, and
# only the folders of ZEPHYL_QT_FOLDERS link Qt. Stops the configuration with the list of
# offending links.
function(zephyl_check_link_layers)
  zephyl_collect_targets(${CMAKE_SOURCE_DIR}/src targets)
  set(problems "")
  foreach(target ${targets})
    zephyl_target_folder(${target} folder)
    if(folder STREQUAL "")
      continue()
    endif()
    if(NOT folder IN_LIST ZEPHYL_LAYER_FOLDERS)
      string(APPEND problems "\n  ${target}: folder src/${folder} has no row in cmake/ZephylLayers.cmake")
      continue()
    endif()
    get_target_property(type ${target} TYPE)
    set(links "")
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(direct ${target} LINK_LIBRARIES)
      if(direct)
        list(APPEND links ${direct})
      endif()
    endif()
    get_target_property(interface ${target} INTERFACE_LINK_LIBRARIES)
    if(interface)
      list(APPEND links ${interface})
    endif()
    # Generator expressions such as $<LINK_LIBRARY:WHOLE_ARCHIVE,lib> name their targets inside.
    string(REGEX MATCHALL "[A-Za-z0-9_.+:-]+" names "${links}")
    list(REMOVE_DUPLICATES names)
    foreach(name ${names})
      if(NOT TARGET ${name})
        continue()
      endif()
      if(name MATCHES "^Qt6?::")
        if(NOT folder IN_LIST ZEPHYL_QT_FOLDERS)
          string(REPLACE ";" ", " qtFolders "${ZEPHYL_QT_FOLDERS}")
          string(APPEND problems "\n  ${target} (src/${folder}) links ${name}: only ${qtFolders} link Qt")
        endif()
        continue()
      endif()
      zephyl_target_folder(${name} linked)
      if(linked STREQUAL "" OR linked STREQUAL folder OR linked IN_LIST ZEPHYL_LAYER_${folder})
        continue()
      endif()
      string(APPEND problems "\n  ${target} (src/${folder}) links ${name} (src/${linked}), not below it")
    endforeach()
  endforeach()
  if(problems)
    message(FATAL_ERROR "Links that break the layers of cmake/ZephylLayers.cmake:${problems}")
  endif()
endfunction()

# The table as C++ initialisers for test_layering, which checks the includes against it.
function(zephyl_write_layer_table file)
  set(text "// Generated from cmake/ZephylLayers.cmake.\n")
  string(APPEND text "const std::map<std::string, std::set<std::string>> kLayerTable = {\n")
  foreach(folder ${ZEPHYL_LAYER_FOLDERS})
    set(uses "")
    foreach(below ${ZEPHYL_LAYER_${folder}})
      string(APPEND uses "\"${below}\", ")
    endforeach()
    string(APPEND text "    {\"${folder}\", {${uses}}},\n")
  endforeach()
  string(APPEND text "};\nconst std::set<std::pair<std::string, std::string>> kLayerExceptions = {\n")
  foreach(exception ${ZEPHYL_LAYER_EXCEPTIONS})
    string(REPLACE "|" "\", \"" pair "${exception}")
    string(APPEND text "    {\"${pair}\"},\n")
  endforeach()
  string(APPEND text "};\n")
  file(GENERATE OUTPUT ${file} CONTENT "${text}")
endfunction()
