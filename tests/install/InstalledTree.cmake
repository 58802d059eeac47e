# Installs the build into a temporary prefix and runs the installed programs with no
# QUILLONET_PROGRAM_DIR: they must find the installed resources beside them.
#   cmake -DBUILD_DIR=... -DWORK=... -DGUI=0|1 -P InstalledTree.cmake
file(REMOVE_RECURSE "${WORK}")
set(root "${WORK}/tree")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${root}"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${rc})")
endif()

set(expected bin/quillonet-cli bin/quillonet-defserver share/quillonet/Localization.txt
             share/quillonet/update-public-key.pem share/quillonet/definitions/date.dat
             share/quillonet/definitions/FileDefinition.dat)
if(GUI)
  list(APPEND expected bin/quillonet)
endif()
foreach(file IN LISTS expected)
  if(NOT EXISTS "${root}/${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
if(EXISTS "${root}/bin/quillonet-screenshots")
  message(FATAL_ERROR "the screenshot tool was installed")
endif()

set(environment env -u QUILLONET_PROGRAM_DIR -u WINEPREFIX "HOME=${WORK}/home"
                "XDG_CONFIG_HOME=${WORK}/config" "XDG_DATA_HOME=${WORK}/data"
                QUILLONET_UPDATE_SERVER=http://127.0.0.1:9)
file(MAKE_DIRECTORY "${WORK}/home")
# The installed starter definitions, staged into the program's own prefix, scan it clean.
foreach(command "stage-definitions;${root}/share/quillonet/definitions" "scan")
  execute_process(COMMAND ${environment} "${root}/bin/quillonet-cli" ${command}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "installed quillonet-cli ${command}: status ${rc}\n${out}\n${err}")
  endif()
endforeach()
if(NOT GUI)
  file(REMOVE_RECURSE "${WORK}")
  return()
endif()

# The desktop program exports its language file from the installed English group, whatever
# language the user chose: a caption marked there cannot come from the source tree.
set(language "${root}/share/quillonet/Localization.txt")
file(READ "${language}" text)
string(REPLACE "<FRMABOUT_LBLCOMPANY>Quillonet " "<FRMABOUT_LBLCOMPANY>INSTALLED Quillonet "
               text "${text}")
file(WRITE "${language}" "${text}")
file(WRITE "${WORK}/config/quillonet/Quillonet.ini"
     "[Settings]\nLanguage=Deutsch\nFirstTime=Yes\nshowHelp=0\n")
execute_process(
  COMMAND ${environment} QT_QPA_PLATFORM=offscreen "${root}/bin/quillonet" --export-language
          "${WORK}/exported.txt"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 120)
file(READ "${WORK}/exported.txt" exported)
if(NOT rc EQUAL 0 OR NOT exported MATCHES "INSTALLED Quillonet Software"
   OR exported MATCHES "Vielen Dank")
  message(FATAL_ERROR "installed quillonet --export-language: status ${rc}\n${out}\n${err}")
endif()
# On a first run the export asks nothing: no language chooser waits for an answer.
file(REMOVE "${WORK}/config/quillonet/Quillonet.ini")
execute_process(
  COMMAND ${environment} QT_QPA_PLATFORM=offscreen "${root}/bin/quillonet" --export-language
          "${WORK}/first.txt"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 60)
if(NOT rc EQUAL 0 OR NOT EXISTS "${WORK}/first.txt")
  message(FATAL_ERROR "first-run quillonet --export-language: status ${rc}\n${out}\n${err}")
endif()
file(REMOVE_RECURSE "${WORK}")
