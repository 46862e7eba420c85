/*
 * The companion's use of the table positions that the reader leaves alone.
 * Position 5 sets a container's entry size limit; position 6 describes a
 * status in words; position 7 sets its total size limit; positions 8 and 9
 * stay null.
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
 * Most uncompressed bytes a new container hands out in all: 2 GiB.  Entries
 * that share their data, or many small ones that each inflate a thousandfold,
 * would otherwise make a small package take hours to read.
 */
#define PKGRD_DEFAULT_TOTAL_SIZE_LIMIT ((int64_t)2 << 30)

/*
 * Position 5: entries whose declared uncompressed size is over `limit` bytes
 * are refused with PKGRD_ENTRY_TOO_LARGE.  0, or PKGRD_BAD_ARGUMENT for a
 * null container or a negative limit.
 */
typedef int32_t (*PkgrdSetEntrySizeLimitFn)(void *container, int64_t limit);

/* Position 6: a fixed English phrase for a status; never null. */
typedef const char *(*PkgrdDescribeStatusFn)(int32_t status);

/*
 * Position 7: an entry whose declared size would take the uncompressed bytes
 * read from the container (by entries that succeeded or not) past `limit` is
 * refused with PKGRD_PACKAGE_TOO_LARGE before it is read.  0, or
 * PKGRD_BAD_ARGUMENT as position 5.
 */
typedef int32_t (*PkgrdSetTotalSizeLimitFn)(void *container, int64_t limit);

enum { PKGRD_TABLE_SET_ENTRY_SIZE_LIMIT = 5, PKGRD_TABLE_DESCRIBE_STATUS = 6, PKGRD_TABLE_SET_TOTAL_SIZE_LIMIT = 7 };

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* PKGRD_TABLE_H */
