"""The text of XPS and OpenXPS documents.

    import fixrd
    text = fixrd.extract_text("report.xps")          # or the package's bytes
    for result in fixrd.extract_many(paths, jobs=4):  # in input order
        print(result.path, result.status, len(result.text))

The reading itself happens in the fixrd C library, with the GIL released, so
threads (and extract_many) read documents in parallel.  The text is exactly
what `xpstext` prints.
"""
from __future__ import annotations

import concurrent.futures
import ctypes
import os
import threading
from collections import deque
from dataclasses import dataclass
from typing import Iterable, Iterator, Optional, Union

from . import _native

__all__ = ["Extraction", "ExtractionError", "Library", "extract", "extract_text", "extract_many",
           "status_message", "version"]

Source = Union[str, os.PathLike, bytes, bytearray, memoryview]


class ExtractionError(Exception):
    """A document whose text could not be had: `status` is the reader's
    number for the cause, `message` the cause in words, `path` the file
    (None for bytes)."""

    def __init__(self, status: int, message: str, path: Optional[str] = None):
        super().__init__(f"{path}: {message} (status {status})" if path else f"{message} (status {status})")
        self.status = status
        self.message = message
        self.path = path


@dataclass(frozen=True)
class Extraction:
    """What reading one document gave.  On failure, status is not 0, message
    says why, and text and records are empty."""
    status: int
    message: str
    text: str
    records: bytes
    charset: int
    path: Optional[str] = None

    @property
    def ok(self) -> bool:
        return self.status == 0

    def raise_for_status(self) -> "Extraction":
        """Returns self, or raises ExtractionError when it failed."""
        if self.status != 0:
            raise ExtractionError(self.status, self.message, self.path)
        return self


def _decode(pointer, size: int) -> bytes:
    return ctypes.string_at(pointer, size) if size else b""


class Library:
    """The reader, loaded once; any number of threads may use one Library.

    `directory` is where libFIXRD.so and its companions are; by default,
    beside the fixrd C library.  With `isolate`, each document is read in a
    worker process: one that crashes the reader fails with status 204
    instead of taking Python with it, and with `timeout` (seconds) one still
    being read after that long is killed and fails with status 205."""

    def __init__(self, directory: Optional[str] = None, *, isolate: bool = False,
                 timeout: Optional[float] = None):
        if timeout is not None and not isolate:
            raise ValueError("fixrd: a timeout needs isolate=True: only a worker process can be stopped")
        self._c = _native.load_once()
        error = ctypes.c_void_p()
        self._handle = self._c.fixrd_library_open(os.fsencode(directory) if directory else None, ctypes.byref(error))
        if not self._handle:
            why = ctypes.string_at(error.value).decode("utf-8", "replace") if error.value else "out of memory"
            self._c.fixrd_free_message(error)
            raise OSError(f"fixrd: cannot load the reader: {why}")
        if isolate and self._c.fixrd_library_isolate(self._handle, float(timeout or 0)) != 0:
            self.close()
            raise OSError("fixrd: cannot read in worker processes: no fixrd-worker beside the library, "
                          "or a negative timeout")

    def close(self) -> None:
        """Unloads the reader; no extraction may be running."""
        if self._handle:
            self._c.fixrd_library_close(self._handle)
            self._handle = None

    def __del__(self):
        try:
            self.close()
        except Exception:   # at interpreter shutdown ctypes may be gone
            pass

    def extract(self, source: Source, *, text: bool = True, records: bool = True) -> Extraction:
        """Reads a document from a path or from the package's bytes; keeps
        the plain text, the record stream, or both."""
        keep = (_native.TEXT if text else 0) | (_native.RECORDS if records else 0)
        if not keep:
            raise ValueError("fixrd: ask for the text, the records or both")
        if not self._handle:
            raise ValueError("fixrd: the library is closed")
        path = None
        if isinstance(source, (bytes, bytearray, memoryview)):
            data = bytes(source)
            result = self._c.fixrd_extract_bytes(self._handle, data, len(data), keep)
        elif isinstance(source, (str, os.PathLike)):
            path = os.fspath(source)
            result = self._c.fixrd_extract_path(self._handle, os.fsencode(path), keep)
        else:
            raise TypeError(f"fixrd: a path or bytes, not {type(source).__name__}")
        if not result:
            raise MemoryError("fixrd: out of memory")
        try:
            r = result.contents
            return Extraction(status=r.status, message=r.message.decode("utf-8", "replace"),
                              text=_decode(r.text, r.text_size).decode("utf-8", "surrogateescape"),
                              records=_decode(r.records, r.records_size), charset=r.charset,
                              path=os.fsdecode(path) if path is not None else None)
        finally:
            self._c.fixrd_result_free(result)

    def extract_text(self, source: Source) -> str:
        """The plain text of a document; ExtractionError when it cannot be read."""
        return self.extract(source, records=False).raise_for_status().text

    def extract_many(self, sources: Iterable[Source], jobs: Optional[int] = None, *, text: bool = True,
                     records: bool = False) -> Iterator[Extraction]:
        """Reads the documents `jobs` at a time (default: one per processor)
        and yields their Extractions in input order, failures included.  At
        most twice `jobs` documents are read ahead of the one yielded."""
        jobs = jobs or os.cpu_count() or 1
        if jobs < 1:
            raise ValueError("fixrd: jobs must be at least 1")
        with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
            pending: deque = deque()
            for source in sources:
                pending.append(pool.submit(self.extract, source, text=text, records=records))
                if len(pending) >= 2 * jobs:
                    yield pending.popleft().result()
            while pending:
                yield pending.popleft().result()


_default: Optional[Library] = None
_default_lock = threading.Lock()


def _library() -> Library:
    global _default
    with _default_lock:
        if _default is None:
            _default = Library()
        return _default


def extract(source: Source, *, text: bool = True, records: bool = True) -> Extraction:
    """Library.extract on the reader loaded at first use."""
    return _library().extract(source, text=text, records=records)


def extract_text(source: Source) -> str:
    """Library.extract_text on the reader loaded at first use."""
    return _library().extract_text(source)


def extract_many(sources: Iterable[Source], jobs: Optional[int] = None, *, text: bool = True,
                 records: bool = False) -> Iterator[Extraction]:
    """Library.extract_many on the reader loaded at first use."""
    return _library().extract_many(sources, jobs, text=text, records=records)


def status_message(status: int) -> str:
    """A status in words, for example "page markup could not be read"."""
    return _native.load_once().fixrd_status_message(status).decode("utf-8")


def version() -> str:
    """The version of the fixrd C library."""
    return _native.load_once().fixrd_version().decode("ascii")
