"""Wine prefixes that play broken Windows machines for Ocxmedic.exe, and
runs of the program on them: shared by the tests under Wine, the binding
checks, the benchmarks and scripts/run.

Importers put tools/ on sys.path and set sys.dont_write_bytecode first, so
that no compiled files end up in the source tree.
"""

from .prefixes import (ARCHES, MACHINES, NEW_VERSION, OLD_VERSION, TYPELIB, Env, Machine, check_available,
                       clone_prefix, machine_dir, machine_environment, make_base, make_machine, system_folder,
                       windows_path)
from .processes import (SKIP, Failure, Unavailable, check, kill_wineserver, run, run_captured, virtual_screen,
                        wait_wineserver, wine_environment, wine_missing)
from .session import Session

__all__ = ["ARCHES", "MACHINES", "NEW_VERSION", "OLD_VERSION", "SKIP", "TYPELIB", "Env", "Failure", "Machine",
           "Session", "Unavailable", "check", "check_available", "clone_prefix", "kill_wineserver", "machine_dir",
           "machine_environment", "make_base", "make_machine", "run", "run_captured", "system_folder",
           "virtual_screen", "wait_wineserver", "windows_path", "wine_environment", "wine_missing"]
