# `cpack -G DEB` makes ombrix_<version>_amd64.deb: the program, its TONE
# folder and the module below /usr, with maintainer scripts that register
# the module system-wide on install and remove the registration on removal.

set(CPACK_PACKAGE_NAME ombrix)
set(CPACK_PACKAGE_VENDOR "Ombrix Converter developers")
set(CPACK_PACKAGE_CONTACT "Ombrix Converter developers <ombrix@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "MIDI to WAV converter for practice accompaniments")
set(CPACK_PACKAGE_DESCRIPTION
    "Converts Standard MIDI Files into WAV files, with channels muted or turned down, whole parts removed, the tempo scaled and a pre-count of drum clicks, one song at a time or a folder in batch. Plays through FluidSynth with a General MIDI SoundFont.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program and the module link, the SoundFont the module
# looks for, GTK 3 for the window, SDL2 for playing songs, a font with Japanese glyphs for its
# Japanese texts, and the Arial-metric font its channel names are drawn in.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6 (>= 2.34), libstdc++6 (>= 12), libgcc-s1, libfluidsynth3 (>= 2.3), libsndfile1 (>= 1.2), libebur128-1, libsamplerate0, fluid-soundfont-gm | timgm6mb-soundfont, libgtk-3-0 (>= 3.24), libsdl2-2.0-0 (>= 2.26), fonts-ipafont-gothic | fonts-noto-cjk | fonts-vlgothic | fonts-takao-gothic, fonts-liberation2 | fonts-liberation")
# A second General MIDI SoundFont to choose with --soundfont: MuseScore
# General, fuller than FluidR3_GM in strings and drums (the full or the
# small variant).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "musescore-general-soundfont | musescore-general-soundfont-small")

set(OMBRIX_PACKAGE_DIR ${CPACK_PACKAGING_INSTALL_PREFIX}/${OMBRIX_INSTALL_DIR})
foreach(script postinst prerm)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/${script}.in ${CMAKE_BINARY_DIR}/debian/${script} @ONLY)
  list(APPEND CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/debian/${script})
endforeach()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
