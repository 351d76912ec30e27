# Runs one fuzz target for SECONDS on a fresh copy of its seeds (libFuzzer adds what it finds to the
# first corpus folder, which must not be the repository's). A hang (-timeout) or a memory blow-up
# (-rss_limit_mb, -malloc_limit_mb) is a finding like a crash; libFuzzer's exit code decides.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK} ${ARTIFACTS})
file(COPY ${SEEDS}/ DESTINATION ${WORK})
if(MORE_SEEDS)
  file(COPY ${MORE_SEEDS}/ DESTINATION ${WORK} FILES_MATCHING PATTERN "*.rc" PATTERN "*.h")
endif()
execute_process(COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=10 -rss_limit_mb=2048
                        -malloc_limit_mb=1024 -print_final_stats=1 -artifact_prefix=${ARTIFACTS}/ ${WORK}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FUZZER}: finding (exit ${result}); the input is in ${ARTIFACTS}")
endif()
