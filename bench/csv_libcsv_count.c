/* Counts the fields and rows of a CSV file with libcsv, timing itself from opening the file
 * to the last callback. Prints "<fields> <rows> <field bytes> <seconds>". */
#include <csv.h>
#include <stdio.h>
#include <time.h>

struct counts {
    size_t fields;
    size_t rows;
    size_t bytes;
};

static void onField(void* text, size_t length, void* data) {
    struct counts* counts = data;
    (void)text;
    counts->fields++;
    counts->bytes += length;
}

static void onRow(int terminator, void* data) {
    (void)terminator;
    ((struct counts*)data)->rows++;
}

static double now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s file.csv\n", argv[0]);
        return 2;
    }
    const double start = now();
    FILE* file = fopen(argv[1], "rb");
    if (!file) {
        perror(argv[1]);
        return 1;
    }
    struct csv_parser parser;
    struct counts counts = {0, 0, 0};
    static char buffer[65536];
    csv_init(&parser, 0);
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) {
        if (csv_parse(&parser, buffer, n, onField, onRow, &counts) != n) {
            fprintf(stderr, "libcsv: %s\n", csv_strerror(csv_error(&parser)));
            return 1;
        }
    }
    csv_fini(&parser, onField, onRow, &counts);
    fclose(file);
    const double seconds = now() - start;
    csv_free(&parser);
    printf("%zu %zu %zu %.6f\n", counts.fields, counts.rows, counts.bytes, seconds);
    return 0;
}
