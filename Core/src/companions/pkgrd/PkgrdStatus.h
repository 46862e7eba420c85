/*
 * Statuses of the container companion.  They start at 100 so that a host
 * that receives one through the reader cannot mistake it for one of the
 * reader's own.  0 is success.
 */
#ifndef PKGRD_STATUS_H
#define PKGRD_STATUS_H

enum PkgrdStatus {
    PKGRD_OK = 0,
    PKGRD_BAD_ARGUMENT = 100,               /* null container or record, index out of range */
    PKGRD_ENTRY_TOO_LARGE = 101,            /* declared uncompressed size over the container's limit */
    PKGRD_ENTRY_LONGER_THAN_DECLARED = 102, /* data goes on past the declared uncompressed size */
    PKGRD_ENTRY_SHORTER_THAN_DECLARED = 103,/* data ends before the declared uncompressed size */
    PKGRD_CORRUPT_DATA = 104,               /* CRC mismatch or undecodable compressed data */
    PKGRD_ENCRYPTED = 105,                  /* the entry is encrypted */
    PKGRD_UNSUPPORTED_METHOD = 106,         /* compressed with neither store nor deflate */
    PKGRD_TARGET_OPEN_FAILED = 107,         /* the IO object could not be opened */
    PKGRD_TARGET_WRITE_FAILED = 108,        /* the IO object refused a write or its close */
    PKGRD_BUFFER_TOO_SMALL = 109,           /* the caller's buffer is smaller than the entry */
    PKGRD_ENTRY_UNREADABLE = 110,           /* the entry's bytes cannot be read from the file */
    PKGRD_OUT_OF_MEMORY = 111,              /* memory for decompression was refused */
    PKGRD_PACKAGE_TOO_LARGE = 112           /* the entries read so far together exceed the container's total limit */
};

#endif /* PKGRD_STATUS_H */
