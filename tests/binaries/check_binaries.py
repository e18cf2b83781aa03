#!/usr/bin/env python3
"""Checks the delivered Windows binaries as a stock Windows will see them:

- every DLL they import is part of Windows itself (the C and C++ runtimes and threads are
  linked in statically, so no MinGW DLL has to travel with the program);
- the plug-in exports exactly Query, Initialise, Shutdown and Configure, undecorated, since the
  player binds them by these names.

    check_binaries.py OBJDUMP EXPECTED_FORMAT Corvane.exe Fluxdec.cvp fluxdec.exe
"""
import subprocess
import sys

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "winmm.dll", "shell32.dll",
               "comdlg32.dll", "comctl32.dll", "advapi32.dll", "msvcrt.dll"}
PLUGIN_EXPORTS = {"Query", "Initialise", "Shutdown", "Configure"}


def private_headers(objdump, path):
    return subprocess.run([objdump, "-p", path], check=True, capture_output=True, text=True).stdout


def imports(headers):
    return {line.split("DLL Name:")[1].strip().lower() for line in headers.splitlines() if "DLL Name:" in line}


def exports(headers):
    names, inside = set(), False
    for line in headers.splitlines():
        if "[Ordinal/Name Pointer] Table" in line:
            inside = True
        elif inside and line.strip().startswith("["):
            names.add(line.split("]", 1)[1].strip())
        elif inside and not line.strip():
            break
    return names


def main():
    objdump, expected_format, *binaries = sys.argv[1:]
    failures = []
    for path in binaries:
        headers = private_headers(objdump, path)
        name = path.replace("\\", "/").rsplit("/", 1)[-1]
        if f"file format {expected_format}" not in subprocess.run(
                [objdump, "-f", path], check=True, capture_output=True, text=True).stdout:
            failures.append(f"{name}: not a {expected_format} file")
        foreign = sorted(imports(headers) - SYSTEM_DLLS)
        print(f"{name}: imports {', '.join(sorted(imports(headers)))}")
        if foreign:
            failures.append(f"{name}: imports DLLs that Windows does not have: {', '.join(foreign)}")
        if name.lower().endswith(".cvp"):
            found = exports(headers)
            print(f"{name}: exports {', '.join(sorted(found))}")
            if found != PLUGIN_EXPORTS:
                failures.append(f"{name}: exports {sorted(found)}, expected {sorted(PLUGIN_EXPORTS)}")
    for failure in failures:
        print("FAIL:", failure)
    failed = {failure.split(":", 1)[0] for failure in failures}
    print(f"{len(binaries) - len(failed)} passed, {len(failed)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
