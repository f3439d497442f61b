# The show's music: make_music composes the four tunes (the song model, its
# MOD, XM and IT writers and the tunes are the nl_tracker library, which the
# tests read back through libxmp) into the content folder. With Debian's
# lame the first tune is also an MP3, which the script then plays
# (MUSIC_SCRIPT_OPTION tells make_script so). make_music also renders the
# whole show's soundtrack for the video, beside the archive: not in the
# content folder, which is packed.
add_library(nl_tracker STATIC
    generators/tracker_song.cpp generators/tracker_mod.cpp generators/tracker_xm.cpp
    generators/tracker_it.cpp generators/tracker_synth.cpp generators/tracker_show.cpp
    generators/tracker_opening.cpp generators/tracker_forge.cpp generators/tracker_storm.cpp
    generators/tracker_coda.cpp generators/tracker_render.cpp)
target_include_directories(nl_tracker PUBLIC "${PROJECT_SOURCE_DIR}")
target_link_libraries(nl_tracker PUBLIC ${NL_SHOW_XMP})
target_link_libraries(make_music PRIVATE nl_tracker)

set(MUSIC_FILES "${CONTENT}/music.mod" "${CONTENT}/forge.xm" "${CONTENT}/storm.it"
                "${CONTENT}/coda.mod")
set(SOUNDTRACK "${NL_SHOW}/soundtrack.wav")
set(MUSIC_WAV "${CMAKE_CURRENT_BINARY_DIR}/music.wav")
if(NL_LAME)
    list(APPEND MUSIC_FILES "${CONTENT}/music.mp3")
    set(MUSIC_SCRIPT_OPTION "--mp3")
    set(ENCODE_MP3 COMMAND ${NL_LAME} --quiet -b 96 "${MUSIC_WAV}" "${CONTENT}/music.mp3")
else()
    set(MUSIC_SCRIPT_OPTION "")
    set(ENCODE_MP3)
endif()
add_custom_command(OUTPUT ${MUSIC_FILES} "${SOUNDTRACK}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${CONTENT}"
    COMMAND make_music "${CONTENT}" --wav "${CMAKE_CURRENT_BINARY_DIR}"
    COMMAND ${CMAKE_COMMAND} -E rename "${CMAKE_CURRENT_BINARY_DIR}/soundtrack.wav"
            "${SOUNDTRACK}"
    ${ENCODE_MP3}
    DEPENDS make_music
    COMMENT "Composing the show's music and its soundtrack")
