"""Builds the fixrd package with the folder of the fixrd library it was built
against recorded in fixrd/_location.py, so that `import fixrd` finds it.

Where the library is looked for, first found wins:
  FIXRD_PREFIX     the prefix given to `make install PREFIX=...`
  pkg-config       `pkg-config --variable=libdir fixrd` (PKG_CONFIG_PATH counts)
  the build tree   ../build/lib beside this folder, after `make build`
Nothing found leaves the choice to run time (FIXRD_LIBRARY, or the system's
library search)."""
import glob
import os
import subprocess

from setuptools import setup
from setuptools.command.build_py import build_py

SONAME = "libfixrd-host.so.0"
HERE = os.path.dirname(os.path.abspath(__file__))


def library_folder():
    prefix = os.environ.get("FIXRD_PREFIX")
    if prefix:
        found = glob.glob(os.path.join(prefix, "lib*", SONAME)) + glob.glob(os.path.join(prefix, "lib", "*", SONAME))
        if not found:
            raise SystemExit(f"fixrd: FIXRD_PREFIX={prefix} holds no {SONAME} (make install PREFIX={prefix} first)")
        return os.path.dirname(os.path.abspath(found[0]))
    try:
        libdir = subprocess.run(["pkg-config", "--variable=libdir", "fixrd"], capture_output=True, text=True,
                                check=True).stdout.strip()
        if os.path.exists(os.path.join(libdir, SONAME)):
            return os.path.abspath(libdir)
    except (OSError, subprocess.CalledProcessError):
        pass
    tree = os.path.join(HERE, "..", "build", "lib")
    if os.path.exists(os.path.join(tree, SONAME)):
        return os.path.abspath(tree)
    return None


class BuildWithLocation(build_py):
    def run(self):
        super().run()
        folder = library_folder()
        target = os.path.join(self.build_lib, "fixrd", "_location.py")
        with open(target, "w", encoding="utf-8") as out:
            out.write("# Written when the package was built: where the fixrd library was then.\n")
            out.write(f"LIBRARY_FOLDER = {folder!r}\n")


setup(cmdclass={"build_py": BuildWithLocation})
