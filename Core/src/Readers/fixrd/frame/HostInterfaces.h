/*
 * The records that cross the boundary between the reader module, its host
 * engine and the two companion libraries.  Every layout here is an interface
 * format: the host and the companions are built separately and read these
 * records by byte offset, so members are never reordered and unused positions
 * are kept as reserved pointer-sized words.
 *
 * Plain C, so that C hosts and the companions can include it too.
 */
#ifndef FIXRD_FRAME_HOST_INTERFACES_H
#define FIXRD_FRAME_HOST_INTERFACES_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct DocContext DocContext;
typedef struct HostServices HostServices;
typedef struct HostMemory HostMemory;
typedef struct IOObj IOObj;

/* ---- the host's IO object --------------------------------------------- */

/*
 * A host IO object: the path of a file that holds the object's bytes and the
 * callbacks that work on it.  Every callback takes the object itself first.
 * Positions 0 to 3, 5, 6 and 13 belong to the host.
 */
struct IOObj {
    void *hostReserved0[4];
    char *fileName;                                              /* 32 */
    void *hostReserved5[2];
    int (*open)(IOObj *io);                                      /* 56: non-zero on success */
    int32_t (*read)(IOObj *io, void *buffer, uint32_t count);    /* 64: bytes read, <= 0 at end */
    int (*write)(IOObj *io, const void *buffer, uint32_t count); /* 72: non-zero on success */
    int (*seek)(IOObj *io, int64_t offset, int origin);          /* 80: 0 start, 1 current, 2 end */
    int64_t (*tell)(IOObj *io);                                  /* 88: negative when unknown */
    int (*close)(IOObj *io);                                     /* 96: non-zero on success */
    void *hostReserved13;
    void (*release)(IOObj *io);                                  /* 112: may be null */
};

/* ---- the host's services ---------------------------------------------- */

/*
 * Host memory.  Every callback gets the address of this sub-record.  Sizes
 * arrive as 64-bit values; a negative size (an overflowed computation) must be
 * refused.
 */
struct HostMemory {
    void *hostReserved;
    void *(*alloc)(HostMemory *memory, int64_t size);                 /* 336 */
    void (*free)(HostMemory *memory, void *block);                    /* 344 */
    void *(*realloc)(HostMemory *memory, void *block, int64_t size);  /* 352 */
};

/* A text for HostServices::convertText: data and its length in bytes. */
typedef struct ConvertedText {
    void *data;
    uint32_t length;
} ConvertedText;

/* Numbers of the host's character sets that the reader uses. */
enum {
    HOST_CHARSET_SHIFT_JIS = 1,
    HOST_CHARSET_WINDOWS_1252 = 7,
    HOST_CHARSET_ISO_8859_1 = 14,
    HOST_CHARSET_UTF16 = 52,
    HOST_CHARSET_UTF8 = 53,
    HOST_CHARSET_UCS4BE = 100
};

struct HostServices {
    void *hostReserved0[3];
    /* 24: loads a library; non-zero and the handle in *handle when loaded. */
    int (*loadLibrary)(HostServices *host, const char *name, void **handle);
    void *(*getEntryPoint)(HostServices *host, void *handle, const char *symbol); /* 32 */
    void (*freeLibrary)(HostServices *host, void *handle);                         /* 40 */
    void *hostReserved6[19];
    /* 200: a null name makes a new temporary file. */
    IOObj *(*openIO)(HostServices *host, const char *name, const char *mode);
    IOObj *(*openIOEx)(HostServices *host, const char *name, const char *mode, uint32_t flag); /* 208 */
    void *hostReserved27[4];
    IOObj *(*deriveIO)(HostServices *host, IOObj *io);                             /* 248 */
    void *hostReserved32[9];
    HostMemory memory;                                                             /* 328 */
    void *hostReserved45[55];
    /*
     * 800: converts input from the character set fromCharset into
     * targetCharset.  With output->data null it only stores the length needed
     * in output->length; with a buffer of that length it fills it.
     */
    int (*convertText)(HostServices *host, uint32_t fromCharset, ConvertedText *input,
                       ConvertedText *output, char replacement);
    void *hostReserved101[10];
    uint32_t targetCharset;                                                        /* 888 */
    uint32_t hostReserved892[4];
    uint32_t conversionFlag;                                                       /* 908 */
};

/* ---- the reader's function table -------------------------------------- */

typedef DocContext *(*XpsAllocateContextFn)(void *, void *, void *, HostServices *host);
typedef int32_t (*XpsFreeContextFn)(DocContext *context);
typedef uint32_t (*XpsInitDocFn)(DocContext *context, void *, void *, void *input);
typedef uint32_t (*XpsFillBufferFn)(DocContext *context, void *buffer, uint32_t *byteCount,
                                    uint32_t *completion);
typedef uint32_t (*XpsGetDocumentCharsetFn)(DocContext *context, void *);

/*
 * The host's table.  The reader writes positions 0 to 3 and 9 and leaves the
 * others as the host had them.
 */
typedef struct ReaderInterface {
    XpsAllocateContextFn allocateContext;        /* 0 */
    XpsFreeContextFn freeContext;                /* 1 */
    XpsInitDocFn initDoc;                        /* 2 */
    XpsFillBufferFn fillBuffer;                  /* 3 */
    void *hostReserved4[5];                      /* 4 to 8 */
    XpsGetDocumentCharsetFn getDocumentCharset;  /* 9 */
} ReaderInterface;

typedef void (*XpsGetReaderInterfaceFn)(ReaderInterface *table);

/* Completion values of xpsFillBuffer. */
enum { FIXRD_COMPLETION_MORE = 50, FIXRD_COMPLETION_DONE = 100 };

/* ---- the container companion (pkgrd) ---------------------------------- */

/* One entry of the container: its raw zip name and uncompressed size. */
typedef struct EntryInfo {
    char name[280];        /* NUL-terminated, no leading "/" */
    int32_t size;          /* 280 */
    uint8_t reserved[20];
} EntryInfo;

typedef struct ContainerReader {
    void *(*open)(void *input, HostServices *host, int32_t flags);                     /* 0 */
    void (*close)(void *container);                                                    /* 1 */
    int32_t (*entryInfo)(void *container, int32_t index, EntryInfo *info);             /* 2 */
    int32_t (*extractEntry)(void *container, int32_t index, IOObj *target);            /* 3 */
    int32_t (*entryCount)(void *container);                                            /* 4 */
    void *companionReserved[5];                                                        /* 5 to 9 */
    int32_t (*readEntry)(void *container, int32_t index, void *buffer, int32_t size,
                         int32_t *delivered);                                          /* 10 */
} ContainerReader;

typedef void (*PkgrdGetContainerReaderInterfaceFn)(ContainerReader *table);

/* ---- the XML companion (mkparse) -------------------------------------- */

/*
 * Expat's unknown-encoding handler: fill the XML_Encoding record that `info`
 * points to and return non-zero to accept the encoding, 0 to refuse it.
 * `info` is typed void * so that this header does not need Expat's.
 */
typedef int (*UnknownEncodingHandlerFn)(void *data, const char *name, void *info);

typedef struct XmlServices {
    void *companionReserved[4];                        /* 0 to 3 */
    UnknownEncodingHandlerFn unknownEncodingHandler;   /* 4 */
} XmlServices;

typedef void (*MkpGetInterfaceFn)(XmlServices *table);

#ifdef __cplusplus
} /* extern "C" */
#endif

#ifdef __cplusplus
static_assert(offsetof(IOObj, fileName) == 32, "IOObj layout");
static_assert(offsetof(IOObj, open) == 56, "IOObj layout");
static_assert(offsetof(IOObj, read) == 64, "IOObj layout");
static_assert(offsetof(IOObj, write) == 72, "IOObj layout");
static_assert(offsetof(IOObj, seek) == 80, "IOObj layout");
static_assert(offsetof(IOObj, tell) == 88, "IOObj layout");
static_assert(offsetof(IOObj, close) == 96, "IOObj layout");
static_assert(offsetof(IOObj, release) == 112, "IOObj layout");

static_assert(offsetof(HostServices, loadLibrary) == 24, "HostServices layout");
static_assert(offsetof(HostServices, getEntryPoint) == 32, "HostServices layout");
static_assert(offsetof(HostServices, freeLibrary) == 40, "HostServices layout");
static_assert(offsetof(HostServices, openIO) == 200, "HostServices layout");
static_assert(offsetof(HostServices, openIOEx) == 208, "HostServices layout");
static_assert(offsetof(HostServices, deriveIO) == 248, "HostServices layout");
static_assert(offsetof(HostServices, memory) == 328, "HostServices layout");
static_assert(offsetof(HostServices, memory) + offsetof(HostMemory, alloc) == 336, "HostMemory layout");
static_assert(offsetof(HostServices, memory) + offsetof(HostMemory, free) == 344, "HostMemory layout");
static_assert(offsetof(HostServices, memory) + offsetof(HostMemory, realloc) == 352, "HostMemory layout");
static_assert(offsetof(HostServices, convertText) == 800, "HostServices layout");
static_assert(offsetof(HostServices, targetCharset) == 888, "HostServices layout");
static_assert(offsetof(HostServices, conversionFlag) == 908, "HostServices layout");

static_assert(offsetof(ReaderInterface, initDoc) == 2 * sizeof(void *), "ReaderInterface layout");
static_assert(offsetof(ReaderInterface, fillBuffer) == 3 * sizeof(void *), "ReaderInterface layout");
static_assert(offsetof(ReaderInterface, getDocumentCharset) == 9 * sizeof(void *), "ReaderInterface layout");

static_assert(offsetof(EntryInfo, size) == 280 && sizeof(EntryInfo) == 304, "EntryInfo layout");
static_assert(offsetof(ContainerReader, entryCount) == 4 * sizeof(void *), "ContainerReader layout");
static_assert(offsetof(ContainerReader, readEntry) == 10 * sizeof(void *), "ContainerReader layout");
static_assert(sizeof(ContainerReader) == 11 * sizeof(void *), "ContainerReader layout");
static_assert(offsetof(XmlServices, unknownEncodingHandler) == 4 * sizeof(void *), "XmlServices layout");
static_assert(sizeof(XmlServices) == 5 * sizeof(void *), "XmlServices layout");
#endif

#endif /* FIXRD_FRAME_HOST_INTERFACES_H */
