/* fixrd.h: the text of XPS and OpenXPS documents, for programs in C and any
 * language that can call C.
 *
 * Open the reader once with fixrd_library_open, then extract as many
 * documents as you like, from as many threads at once as you like: the
 * library keeps an internal pool of extractors, one taken for each call
 * and given back after it, so calls on different threads never wait for
 * one another.  No function keeps state outside the objects it is given.
 *
 * Every string is UTF-8.  No function lets an exception or a signal out;
 * a null return means out of memory or a null argument.
 *
 * Statuses: 0 is success; 1 to 15 are the reader's own, 100 and up the
 * package reader's (a damaged or oversized part), 204 and 205 a crashed or
 * timed-out worker (see fixrd_library_isolate), 206 an extraction that the
 * caller's chunk callback stopped.  fixrd_status_message says each in
 * words.
 */
#ifndef FIXRD_H
#define FIXRD_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The version of the library, as "MAJOR.MINOR.PATCH". */
const char *fixrd_version(void);

/* The reader, loaded: an opaque handle. */
typedef struct fixrd_library fixrd_library;

/* Loads the reader module and its companions from `directory`, or, when it
 * is null or empty, from the folder this library was loaded from (where
 * make install puts them).  Returns null when they cannot be loaded; then,
 * if `error` is not null, *error is a message saying why, to be freed with
 * fixrd_free_message (or null if even that could not be had).
 */
fixrd_library *fixrd_library_open(const char *directory, char **error);

/* Unloads the reader.  No extraction may be running on it.  Null is a no-op. */
void fixrd_library_close(fixrd_library *library);

/* From now on, reads each document in a worker process (fixrd-worker,
 * installed beside this library) instead of the calling one, so that a
 * document that crashes the reader fails with status 204 ("the reader
 * crashed (SIGSEGV)", the signal named), and one still being read after
 * `timeout_seconds` (0: no limit) is killed and fails with 205, instead of
 * taking the calling program with it or holding it forever.  The workers
 * are pooled as the extractors are, and give the same text; chunk
 * callbacks then get the whole record stream at once, when the worker is
 * done.  Call it before extracting.  Returns 0, or -1 and changes nothing
 * when there is no worker program to start or the timeout is negative.
 */
int fixrd_library_isolate(fixrd_library *library, double timeout_seconds);

/* Frees a message that fixrd_library_open handed out.  Null is a no-op. */
void fixrd_free_message(char *message);

/* What the extraction functions keep; give 0 for both. */
#define FIXRD_TEXT 1u    /* the plain text */
#define FIXRD_RECORDS 2u /* the record stream */

/* The outcome of one extraction, freed with fixrd_result_free.  Every
 * pointer is valid (never null) until then. */
typedef struct fixrd_result {
    uint32_t status;              /* 0, or why the extraction failed */
    uint32_t charset;             /* the document's character set number */
    const char *message;          /* "" on success, else the cause in words */
    const char *text;             /* the plain text, NUL-terminated */
    size_t text_size;             /* its bytes, the NUL not counted */
    const unsigned char *records; /* the record stream */
    size_t records_size;          /* its bytes */
} fixrd_result;

/* Extracts the package at `path`.  `keep` is FIXRD_TEXT, FIXRD_RECORDS,
 * both or'ed together, or 0 for both; what is not asked for stays empty.
 *
 * The text is the one xpstext prints, byte for byte: the text records as
 * they are, a newline for each line break, and a newline at the end of a
 * text that lacks one.  The record stream is the reader's own: text
 * records (type 0) and line breaks (type 14), each led by a little-endian
 * 32-bit length of the whole record.  A failed extraction keeps no text
 * and no records.  Returns null only when out of memory or given a null
 * library or path.
 */
fixrd_result *fixrd_extract_path(fixrd_library *library, const char *path, unsigned keep);

/* As fixrd_extract_path, for a package of `size` bytes in memory.  The
 * bytes are copied into a memory file for the reader (the package reader
 * opens packages by name) and may be freed as soon as this returns.
 * Returns null only when out of memory or given a null library, or null
 * bytes with a size.
 */
fixrd_result *fixrd_extract_bytes(fixrd_library *library, const void *bytes, size_t size, unsigned keep);

/* Frees a result.  Null is a no-op. */
void fixrd_result_free(fixrd_result *result);

/* One chunk of the reader's output, valid during the callback only: whole
 * records, and their plain text (without the final newline that
 * fixrd_extract_path adds to a text that lacks one). */
typedef struct fixrd_chunk {
    const unsigned char *records;
    size_t records_size;
    const char *text;
    size_t text_size;
    uint32_t charset; /* the document's, the same in every chunk */
} fixrd_chunk;

/* Called for each chunk as the reader hands it out.  Returns 0 to go on;
 * anything else stops the extraction, which then ends with status 206. */
typedef int (*fixrd_chunk_callback)(void *user_data, const fixrd_chunk *chunk);

/* Extract the package at `path`, or `size` bytes in memory, handing each
 * chunk to `callback` with `user_data` instead of collecting the text:
 * memory then does not grow with the document.  The result holds the
 * status, message and charset; its text and records are empty.  Chunks
 * may have been handed out before a failure; what to do with them is the
 * caller's choice.  Return null as fixrd_extract_path and
 * fixrd_extract_bytes do, or when callback is null.
 */
fixrd_result *fixrd_stream_path(fixrd_library *library, const char *path, fixrd_chunk_callback callback,
                                void *user_data);
fixrd_result *fixrd_stream_bytes(fixrd_library *library, const void *bytes, size_t size,
                                 fixrd_chunk_callback callback, void *user_data);

/* A status in words, for example "page markup could not be read"; a
 * string that lives as long as the program.  A result's own message may
 * say more, as it knows where the extraction failed. */
const char *fixrd_status_message(uint32_t status);

#ifdef __cplusplus
}
#endif

#endif /* FIXRD_H */
