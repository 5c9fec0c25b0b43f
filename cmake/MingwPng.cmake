# libpng for the Windows cross-builds. Debian ships no mingw libpng, so it is
# compiled here from Debian's source package (scripts/fetch-libpng-source.sh
# puts it in place) with the library's own prebuilt configuration, over
# Debian's static mingw zlib. Defines the target PNG::PNG like FindPNG does.
if(TARGET PNG::PNG)
  return()
endif()
set(VELTO_LIBPNG_SOURCE /usr/local/src/velto-deps/libpng CACHE PATH "libpng source tree for the Windows builds")
if(NOT EXISTS ${VELTO_LIBPNG_SOURCE}/png.c)
  message(FATAL_ERROR "No libpng source in ${VELTO_LIBPNG_SOURCE}: run scripts/setup.sh (it fetches Debian's libpng1.6 source).")
endif()

find_library(VELTO_MINGW_ZLIB NAMES libz.a REQUIRED)
find_path(VELTO_MINGW_ZLIB_INCLUDE zlib.h REQUIRED)

set(png_config_dir ${CMAKE_BINARY_DIR}/libpng-config)
configure_file(${VELTO_LIBPNG_SOURCE}/scripts/pnglibconf.h.prebuilt ${png_config_dir}/pnglibconf.h COPYONLY)
set(png_sources png.c pngerror.c pngget.c pngmem.c pngpread.c pngread.c pngrio.c pngrtran.c pngrutil.c
    pngset.c pngtrans.c pngwio.c pngwrite.c pngwtran.c pngwutil.c)
list(TRANSFORM png_sources PREPEND ${VELTO_LIBPNG_SOURCE}/)
add_library(velto_png STATIC ${png_sources})
target_include_directories(velto_png SYSTEM PUBLIC ${VELTO_LIBPNG_SOURCE} ${png_config_dir} ${VELTO_MINGW_ZLIB_INCLUDE})
target_link_libraries(velto_png PUBLIC ${VELTO_MINGW_ZLIB})
add_library(PNG::PNG ALIAS velto_png)
