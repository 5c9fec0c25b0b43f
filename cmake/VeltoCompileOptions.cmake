# Compile settings every Velto target shares.
#
# Floating point must behave the same on every target: the audio path sets the
# SSE control register (flush-to-zero, round toward zero), which x87 arithmetic
# would ignore, so the 32-bit build does its arithmetic in SSE2 as well; and no
# compiler may fuse multiply-adds on its own, which would change results between
# targets.
add_library(velto_options INTERFACE)
# Compiler options only: the resource compiler of the Windows modules takes none of them.
target_compile_options(velto_options INTERFACE
  $<$<COMPILE_LANGUAGE:C,CXX>:-Wall -Wextra -ffp-contract=off>
  $<$<AND:$<COMPILE_LANGUAGE:C,CXX>,$<BOOL:${VELTO_WERROR}>>:-Werror>)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(i.86|x86)$")
  target_compile_options(velto_options INTERFACE $<$<COMPILE_LANGUAGE:C,CXX>:-msse2 -mfpmath=sse>)
endif()
if(WIN32)
  # Modules and tools carry their C++ runtime so they load without extra DLLs.
  target_link_options(velto_options INTERFACE -static -static-libgcc -static-libstdc++)
endif()

# Adds velto_options to a target and keeps its symbols hidden unless exported.
function(velto_target target)
  target_link_libraries(${target} PRIVATE velto_options)
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
endfunction()
