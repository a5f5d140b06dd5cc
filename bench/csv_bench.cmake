# CSV: the module beside libcsv (a small C program) and Python's csv module.
enable_language(C)
find_path(LIBCSV_INCLUDE_DIR csv.h REQUIRED)
find_library(LIBCSV_LIBRARY csv REQUIRED)
add_executable(csv_libcsv_count csv_libcsv_count.c)
# The project's warning flags are C++ ones; the helper gets C's own.
set_target_properties(csv_libcsv_count PROPERTIES COMPILE_OPTIONS "-Wall;-Wextra;-Werror")
target_include_directories(csv_libcsv_count PRIVATE ${LIBCSV_INCLUDE_DIR})
target_link_libraries(csv_libcsv_count PRIVATE ${LIBCSV_LIBRARY})
quenby_bench(bench_csv
    SOURCES csv_bench.cpp CsvBenchData.h CsvBenchData.cpp CsvBenchRunners.h CsvBenchRunners.cpp
    LIBS quenby_csv)
add_dependencies(bench_csv csv_libcsv_count)
target_compile_definitions(bench_csv PRIVATE
    CSV_BENCH_LIBCSV="$<TARGET_FILE:csv_libcsv_count>"
    CSV_BENCH_PYTHON="${CMAKE_CURRENT_SOURCE_DIR}/csv_python.py"
    CSV_BENCH_DIR="${CMAKE_CURRENT_BINARY_DIR}")
