/*
 * The companion's use of the table positions that the reader leaves alone.
 * Position 5 sets a container's entry size limit; position 6 describes a
 * status in words; positions 7 to 9 stay null.
 */
#ifndef PKGRD_TABLE_H
#define PKGRD_TABLE_H

#include "frame/HostInterfaces.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Largest uncompressed entry a new container extracts: 1 GiB. */
#define PKGRD_DEFAULT_ENTRY_SIZE_LIMIT ((int64_t)1 << 30)

/*
 * Position 5: entries whose declared uncompressed size is over `limit` bytes
 * are refused with PKGRD_ENTRY_TOO_LARGE.  0, or PKGRD_BAD_ARGUMENT for a
 * null container or a negative limit.
 */
typedef int32_t (*PkgrdSetEntrySizeLimitFn)(void *container, int64_t limit);

/* Position 6: a fixed English phrase for a status; never null. */
typedef const char *(*PkgrdDescribeStatusFn)(int32_t status);

enum { PKGRD_TABLE_SET_ENTRY_SIZE_LIMIT = 5, PKGRD_TABLE_DESCRIBE_STATUS = 6 };

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* PKGRD_TABLE_H */
