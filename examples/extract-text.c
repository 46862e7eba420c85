/* Prints the text of XPS or OpenXPS files through the C API of fixrd.
 *   cc extract-text.c $(pkg-config --cflags --libs fixrd) -o extract-text */
#include <fixrd/fixrd.h>

#include <stdio.h>

int main(int argc, char **argv) {
    char *error = NULL;
    fixrd_library *library = fixrd_library_open(NULL, &error);
    if (library == NULL) {
        fprintf(stderr, "extract-text: cannot load the reader: %s\n", error ? error : "out of memory");
        fixrd_free_message(error);
        return 1;
    }
    int failed = 0;
    for (int i = 1; i < argc; ++i) {
        fixrd_result *result = fixrd_extract_path(library, argv[i], FIXRD_TEXT);
        if (result == NULL || result->status != 0) {
            fprintf(stderr, "extract-text: %s: %s\n", argv[i], result ? result->message : "out of memory");
            failed = 1;
        } else {
            fwrite(result->text, 1, result->text_size, stdout);
        }
        fixrd_result_free(result);
    }
    fixrd_library_close(library);
    return failed;
}
