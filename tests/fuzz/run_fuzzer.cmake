# One bounded fuzz run (cmake -P): FUZZER over the seeds in SEEDS, in the
# scratch folder WORK. New inputs go to WORK/corpus, never into the source tree.
# Fails when the fuzzer finds a crash, a leak, undefined behaviour or a hang.
set(RUNS 20000)
set(SECONDS 15)

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/seeds)
execute_process(COMMAND ${SEEDER} ${SEEDS} ${WORK}/seeds RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "could not write the seeds of ${SEEDS} (${rc})")
endif()
execute_process(
  COMMAND ${FUZZER} -runs=${RUNS} -max_total_time=${SECONDS} -timeout=10 -max_len=${MAX_LEN}
          -print_final_stats=1 -artifact_prefix=${WORK}/ ${WORK}/corpus ${WORK}/seeds
  WORKING_DIRECTORY ${WORK}
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed (${rc}); the input is in ${WORK}/")
endif()
