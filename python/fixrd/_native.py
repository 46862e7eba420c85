"""The fixrd C library through ctypes: finding it, and the prototypes of the
functions the package calls.  ctypes releases the GIL for every call."""
import ctypes
import ctypes.util
import functools
import os

SONAME = "libfixrd-host.so.0"


class _Result(ctypes.Structure):
    _fields_ = [
        ("status", ctypes.c_uint32),
        ("charset", ctypes.c_uint32),
        ("message", ctypes.c_char_p),
        ("text", ctypes.POINTER(ctypes.c_char)),
        ("text_size", ctypes.c_size_t),
        ("records", ctypes.POINTER(ctypes.c_char)),
        ("records_size", ctypes.c_size_t),
    ]


TEXT = 1
RECORDS = 2


def _candidates():
    """Where the library may be, in the order it is looked for."""
    named = os.environ.get("FIXRD_LIBRARY")
    if named:
        yield os.path.join(named, SONAME) if os.path.isdir(named) else named
        return
    try:
        from ._location import LIBRARY_FOLDER
    except ImportError:
        LIBRARY_FOLDER = None
    if LIBRARY_FOLDER:
        yield os.path.join(LIBRARY_FOLDER, SONAME)
    found = ctypes.util.find_library("fixrd-host")
    if found:
        yield found
    yield SONAME   # the dynamic loader's own search: LD_LIBRARY_PATH, ld.so.cache


def load() -> ctypes.CDLL:
    """The C library, with the prototypes set; ImportError says where it looked."""
    tried = []
    for candidate in _candidates():
        try:
            library = ctypes.CDLL(candidate)
            break
        except OSError as error:
            tried.append(f"{candidate}: {error}")
    else:
        raise ImportError("fixrd: cannot load the fixrd library; set FIXRD_LIBRARY to "
                          f"its folder or to {SONAME} itself. Tried: " + "; ".join(tried))
    result = ctypes.POINTER(_Result)
    library.fixrd_version.restype = ctypes.c_char_p
    library.fixrd_version.argtypes = []
    library.fixrd_library_open.restype = ctypes.c_void_p
    library.fixrd_library_open.argtypes = [ctypes.c_char_p, ctypes.POINTER(ctypes.c_void_p)]
    library.fixrd_library_isolate.restype = ctypes.c_int
    library.fixrd_library_isolate.argtypes = [ctypes.c_void_p, ctypes.c_double]
    library.fixrd_library_close.restype = None
    library.fixrd_library_close.argtypes = [ctypes.c_void_p]
    library.fixrd_free_message.restype = None
    library.fixrd_free_message.argtypes = [ctypes.c_void_p]
    library.fixrd_extract_path.restype = result
    library.fixrd_extract_path.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_uint]
    library.fixrd_extract_bytes.restype = result
    library.fixrd_extract_bytes.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_size_t, ctypes.c_uint]
    library.fixrd_result_free.restype = None
    library.fixrd_result_free.argtypes = [result]
    library.fixrd_status_message.restype = ctypes.c_char_p
    library.fixrd_status_message.argtypes = [ctypes.c_uint32]
    return library


@functools.lru_cache(maxsize=None)
def load_once() -> ctypes.CDLL:
    """load(), done once per process."""
    return load()
