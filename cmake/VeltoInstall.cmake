# One install rule for every module and the tool.
#
# Linux: without a prefix of its own (`cmake --install build/linux`) every
# piece goes to the user's folders, where Linux hosts look for plug-ins:
#   VST2 module  ~/.vst/      VST3 bundle  ~/.vst3/     CLAP module  ~/.clap/
#   velto-render ~/.local/bin/
# With a prefix (`cmake --install build/linux --prefix /usr`, or
# CMAKE_INSTALL_PREFIX given at the first configure) they go to PREFIX/lib/vst,
# PREFIX/lib/vst3, PREFIX/lib/clap and PREFIX/bin. Windows builds always use
# the PREFIX folders.
#
# The user's prefix is ~/.local: CMake says only on the first configure
# whether the prefix is its default, so that answer is written into the cache
# as the prefix itself, and every later configure keeps it.

set(VELTO_USER_HOME "$ENV{HOME}")
set(VELTO_USER_PREFIX "${VELTO_USER_HOME}/.local")
if(NOT WIN32 AND VELTO_USER_HOME)
  # A tree configured with the default before this rule existed remembered it here.
  if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT OR
     (DEFINED VELTO_DEFAULT_INSTALL_PREFIX AND CMAKE_INSTALL_PREFIX STREQUAL VELTO_DEFAULT_INSTALL_PREFIX))
    set(CMAKE_INSTALL_PREFIX "${VELTO_USER_PREFIX}" CACHE PATH
        "Install prefix; ~/.local puts the plug-ins into ~/.vst, ~/.vst3 and ~/.clap" FORCE)
  endif()
  unset(VELTO_DEFAULT_INSTALL_PREFIX CACHE)
endif()

# Everything the install rule copies; build it before `cmake --install`.
add_custom_target(velto_installables)

# velto_install(<vst|vst3|clap|bin> TARGET <target> [BUNDLE <folder>])
# Installs the target's file, or the bundle folder the target builds.
function(velto_install kind)
  cmake_parse_arguments(arg "" "TARGET;BUNDLE" "" ${ARGN})
  if(kind STREQUAL "vst")
    set(user_dir ".vst")
    set(system_dir "lib/vst")
  elseif(kind STREQUAL "vst3")
    set(user_dir ".vst3")
    set(system_dir "lib/vst3")
  elseif(kind STREQUAL "clap")
    set(user_dir ".clap")
    set(system_dir "lib/clap")
  elseif(kind STREQUAL "bin")
    set(user_dir ".local/bin")
    set(system_dir "bin")
  else()
    message(FATAL_ERROR "velto_install: unknown kind ${kind}")
  endif()
  add_dependencies(velto_installables ${arg_TARGET})

  if(arg_BUNDLE)
    set(source "${arg_BUNDLE}")
  else()
    set(source "$<TARGET_FILE:${arg_TARGET}>")
  endif()
  if(WIN32)
    set(choose "set(dest \"\${CMAKE_INSTALL_PREFIX}/${system_dir}\")")
  else()
    set(choose "
      if(\"\${CMAKE_INSTALL_PREFIX}\" STREQUAL \"${VELTO_USER_PREFIX}\")
        set(dest \"${VELTO_USER_HOME}/${user_dir}\")
      else()
        set(dest \"\${CMAKE_INSTALL_PREFIX}/${system_dir}\")
      endif()")
  endif()
  install(CODE "${choose}
    file(INSTALL \"${source}\" DESTINATION \"\${dest}\" USE_SOURCE_PERMISSIONS)")
endfunction()
