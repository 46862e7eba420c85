/*
 * What mkpGetInterface puts in the XmlServices table.  The reader calls only
 * entry 4; the others are for hosts and tools that want to ask the companion
 * before they parse.
 *
 *   0  int isEncodingSupported(const char *name): 1 when entry 4 would accept
 *      an encoding declaration naming `name`, else 0.
 *   1  null
 *   2  null
 *   3  null
 *   4  Expat's unknown-encoding handler.
 */
#ifndef MKPARSE_SERVICES_H
#define MKPARSE_SERVICES_H

#ifdef __cplusplus
extern "C" {
#endif

enum { MKP_ENTRY_IS_ENCODING_SUPPORTED = 0 };

typedef int (*MkpIsEncodingSupportedFn)(const char *name);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* MKPARSE_SERVICES_H */
