/* The standard write workload (standard_workload.h) written with libxlsxwriter as an xlsx
   file, in its default mode or with its constant_memory option. Prints the seconds taken.

     xlsxwriter_write_bench OUTPUT.xlsx [constant] */
#include <stdio.h>
#include <string.h>
#include <time.h>
#include <xlsxwriter.h>

/* "item-N" for N below 1000, without printf, so that the harness does not weigh on the peer. */
static const char *item_text(char text[16], int n) {
    char *p = text + 5;
    memcpy(text, "item-", 5);
    if (n >= 100) *p++ = (char)('0' + n / 100);
    if (n >= 10) *p++ = (char)('0' + n / 10 % 10);
    *p++ = (char)('0' + n % 10);
    *p = '\0';
    return text;
}

static double now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

int main(int argc, char **argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: %s OUTPUT.xlsx [constant]\n", argv[0]);
        return 2;
    }
    const double start = now();
    lxw_workbook_options options = {0};
    options.constant_memory = argc > 2 && strcmp(argv[2], "constant") == 0;
    lxw_workbook *book = workbook_new_opt(argv[1], &options);
    lxw_worksheet *sheet = book ? workbook_add_worksheet(book, NULL) : NULL;
    if (!sheet) {
        fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    char text[16];
    for (int r = 0; r < 65536; ++r) {
        for (int c = 0; c < 16; ++c) {
            lxw_error rc;
            if (c < 8) {
                rc = worksheet_write_number(sheet, r, c, r * 16 + c, NULL);
            } else if (c < 12) {
                rc = worksheet_write_number(sheet, r, c, r * 0.5 + c, NULL);
            } else {
                rc =
                    worksheet_write_string(sheet, r, c, item_text(text, (r * 16 + c) % 1000), NULL);
            }
            if (rc != LXW_NO_ERROR) {
                fprintf(stderr, "write failed: %d\n", rc);
                return 1;
            }
        }
    }
    if (workbook_close(book) != LXW_NO_ERROR) {
        fprintf(stderr, "close failed\n");
        return 1;
    }
    printf("%.3f\n", now() - start);
    return 0;
}
