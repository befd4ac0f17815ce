# The program's figures in a full installation (scripts/bench-run): the run
# bench and the trivial program of its baselines.
add_executable(bench_trivial WIN32 ${PROJECT_SOURCE_DIR}/bench/Trivial.cpp)
target_link_libraries(bench_trivial PRIVATE advapi32 user32)
target_compile_options(bench_trivial PRIVATE ${PELMAR_NOT_SHIPPED_OPTIONS})

add_executable(run_bench ${PROJECT_SOURCE_DIR}/bench/RunBench.cpp
                         ${PROJECT_SOURCE_DIR}/bench/RunProcesses.cpp
                         ${PROJECT_SOURCE_DIR}/bench/StartTrace.cpp)
target_link_libraries(run_bench PRIVATE store installation_recipe rivolink psapi)
target_compile_options(run_bench PRIVATE ${PELMAR_NOT_SHIPPED_OPTIONS})
add_dependencies(run_bench Pelmar Wakeplan DataCast bench_trivial)
