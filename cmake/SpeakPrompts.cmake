cmake_minimum_required(VERSION 3.25)
# Speaks the prompts of one language folder: cmake -DTABLE=<lang>.txt -DOUT=<folder>
# -DESPEAK=<espeak-ng> -DSOX=<sox> -DSTAMP=<file> -P SpeakPrompts.cmake
# Each line of the table is "file name|words"; "voice|<voice>" picks the espeak-ng voice.
# Every prompt comes out as 8 kHz 16-bit mono, so that the number speaker can join them.
file(STRINGS ${TABLE} lines ENCODING UTF-8)
file(MAKE_DIRECTORY ${OUT})
set(voice en)
set(spoken ${OUT}/.spoken.wav)
foreach(line IN LISTS lines)
    if(line MATCHES "^#" OR NOT line MATCHES "\\|")
        continue()
    endif()
    string(FIND "${line}" "|" bar)
    string(SUBSTRING "${line}" 0 ${bar} name)
    math(EXPR from "${bar} + 1")
    string(SUBSTRING "${line}" ${from} -1 words)
    if(name STREQUAL "voice")
        set(voice ${words})
        continue()
    endif()
    execute_process(COMMAND ${ESPEAK} -v ${voice} -s 150 -w ${spoken} "${words}"
                    RESULT_VARIABLE failed)
    if(NOT failed)
        execute_process(COMMAND ${SOX} ${spoken} -r 8000 -b 16 -c 1 ${OUT}/${name}
                        RESULT_VARIABLE failed)
    endif()
    if(failed)
        message(FATAL_ERROR "could not speak ${name} (${voice}): ${words}")
    endif()
endforeach()
file(REMOVE ${spoken})
file(TOUCH ${STAMP})
