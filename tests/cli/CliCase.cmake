# One run of kavrin-cli on a generated recording, checked against its exit status, its
# stderr and a golden file. On a golden mismatch the actual output is written beside the
# golden file (NAME.actual) and the difference is shown. UPDATE_GOLDEN=1 in the
# environment rewrites the golden files instead.
#
# Variables: CLI, GEN, WORK, NAME, GEN_ARGS (list), GEN2_ARGS (list, optional: a second
# recording), CLI_ARGS (list; @FILE@, @FILE2@ and @OUT@ are replaced), GOLDEN (path,
# optional), EXIT (default 0), STDERR (regex, optional), TRUNCATE (bytes to keep of the
# recording, optional), SKIP (bytes to drop from its start, optional), CORRUPT (offset from
# which 64 bytes are overwritten with 0xFF, which starts no packet; optional), DELETE (offset
# at which 5 bytes are taken out; optional), INSERT (offset at which 5 bytes 0x04 0x80 0x80
# 0x80 0x80 are put in; optional), NOISE (bytes of random noise appended; optional).

file(MAKE_DIRECTORY ${WORK})
set(recording ${WORK}/${NAME}.KVDat)
set(out ${WORK}/${NAME}.out)
file(REMOVE ${out})

function(generate arguments output)
    execute_process(COMMAND ${GEN} ${arguments} ${output} RESULT_VARIABLE gen_status
                    ERROR_VARIABLE gen_error)
    if(NOT gen_status EQUAL 0)
        message(FATAL_ERROR "kavrin-gen failed on ${output}: ${gen_error}")
    endif()
endfunction()

set(second ${WORK}/${NAME}.2.KVDat)
if(GEN_ARGS)
    generate("${GEN_ARGS}" ${recording})
endif()
if(GEN2_ARGS)
    generate("${GEN2_ARGS}" ${second})
endif()
if(SKIP)
    math(EXPR first "${SKIP} + 1")
    execute_process(COMMAND tail -c +${first} ${recording} OUTPUT_FILE ${recording}.cut)
    file(RENAME ${recording}.cut ${recording})
endif()
# Replaces `removed` bytes of the recording at `offset` by the bytes printf makes of `format`.
function(splice offset removed format)
    math(EXPR after "${offset} + ${removed} + 1")
    execute_process(COMMAND head -c ${offset} ${recording} OUTPUT_FILE ${recording}.head)
    execute_process(COMMAND printf "${format}" OUTPUT_FILE ${recording}.bad)
    execute_process(COMMAND tail -c +${after} ${recording} OUTPUT_FILE ${recording}.tail)
    execute_process(COMMAND cat ${recording}.head ${recording}.bad ${recording}.tail
                    OUTPUT_FILE ${recording}.cut)
    file(REMOVE ${recording}.head ${recording}.bad ${recording}.tail)
    file(RENAME ${recording}.cut ${recording})
endfunction()
if(CORRUPT)
    string(REPEAT "\\377" 64 no_packet)
    splice(${CORRUPT} 64 ${no_packet})
endif()
if(DELETE)
    splice(${DELETE} 5 "")
endif()
if(INSERT)
    splice(${INSERT} 0 "\\004\\200\\200\\200\\200")
endif()
if(NOISE)
    execute_process(COMMAND ${GEN} --noise ${NOISE} --seed 9 ${recording}.noise)
    execute_process(COMMAND cat ${recording} ${recording}.noise OUTPUT_FILE ${recording}.cut)
    file(REMOVE ${recording}.noise)
    file(RENAME ${recording}.cut ${recording})
endif()
if(TRUNCATE)
    execute_process(COMMAND head -c ${TRUNCATE} ${recording} OUTPUT_FILE ${recording}.cut)
    file(RENAME ${recording}.cut ${recording})
endif()

list(TRANSFORM CLI_ARGS REPLACE "@FILE@" ${recording})
list(TRANSFORM CLI_ARGS REPLACE "@FILE2@" ${second})
list(TRANSFORM CLI_ARGS REPLACE "@OUT@" ${out})
execute_process(COMMAND ${CLI} ${CLI_ARGS} WORKING_DIRECTORY ${WORK}
                RESULT_VARIABLE status OUTPUT_VARIABLE stdout ERROR_VARIABLE stderr)

if("${EXIT}" STREQUAL "")
    set(EXIT 0)
endif()
if(NOT status STREQUAL EXIT)
    message(FATAL_ERROR "exit status ${status}, expected ${EXIT}\nstderr:\n${stderr}")
endif()
if(STDERR AND NOT stderr MATCHES "${STDERR}")
    message(FATAL_ERROR "stderr does not match \"${STDERR}\":\n${stderr}")
endif()

if(GOLDEN)
    if(EXISTS ${out})
        file(READ ${out} actual)
    else()
        set(actual "${stdout}")
    endif()
    if("$ENV{UPDATE_GOLDEN}")
        file(WRITE ${GOLDEN} "${actual}")
        return()
    endif()
    set(expected "")
    if(EXISTS ${GOLDEN})
        file(READ ${GOLDEN} expected)
    endif()
    if(NOT actual STREQUAL expected)
        file(WRITE ${GOLDEN}.actual "${actual}")
        execute_process(COMMAND diff -u ${GOLDEN} ${GOLDEN}.actual OUTPUT_VARIABLE difference)
        message(FATAL_ERROR "output differs from ${GOLDEN} (actual: ${GOLDEN}.actual):\n"
                            "${difference}")
    endif()
    file(REMOVE ${GOLDEN}.actual)
endif()
