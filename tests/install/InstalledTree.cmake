# Installs the build into a temporary prefix and runs the installed command-line program with
# no QUILLONET_PROGRAM_DIR: it must find the installed resources beside it. The user's stored
# language is German, and the installed language file's German first-run thanks
# (asked on a fresh machine) is marked, so that it cannot come from the source tree.
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

set(language "${root}/share/quillonet/Localization.txt")
file(READ "${language}" text)
string(REPLACE "<MSG_THANK1>Vielen " "<MSG_THANK1>INSTALLIERT Vielen " text "${text}")
file(WRITE "${language}" "${text}")
file(WRITE "${WORK}/config/quillonet/Quillonet.ini" "[Settings]\nLanguage=Deutsch\n")
file(MAKE_DIRECTORY "${WORK}/home")
execute_process(
  COMMAND env -u QUILLONET_PROGRAM_DIR -u WINEPREFIX "HOME=${WORK}/home"
          "XDG_CONFIG_HOME=${WORK}/config" "XDG_DATA_HOME=${WORK}/data"
          QUILLONET_UPDATE_SERVER=http://127.0.0.1:9 "${root}/bin/quillonet-cli" scan
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 2 OR NOT err MATCHES "INSTALLIERT Vielen Dank")
  message(FATAL_ERROR "installed quillonet-cli scan: status ${rc}\n${out}\n${err}")
endif()
file(REMOVE_RECURSE "${WORK}")
