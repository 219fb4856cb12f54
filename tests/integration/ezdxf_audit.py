#!/usr/bin/python3
"""Opens DXF files with the independent reader ezdxf and audits them.

Usage: ezdxf_audit.py FILE...
Prints every audit error, every entity type found and what each MTEXT shows; exits 1 when a file
cannot be read or its audit reports an error, 2 when ezdxf is missing.
"""
import sys

try:
    import ezdxf
except ImportError:
    print("ezdxf is not installed", file=sys.stderr)
    sys.exit(2)


def audit(path):
    try:
        doc = ezdxf.readfile(path)
    except Exception as exc:  # any reader failure is a finding
        print(f"{path}: cannot read: {exc}")
        return False
    auditor = doc.audit()
    types = sorted({e.dxftype() for e in doc.modelspace()})
    print(f"{path}: {doc.dxfversion}, entities: {' '.join(types)}")
    for mtext in doc.modelspace().query("MTEXT"):
        print(f"{path}: mtext shows " + mtext.plain_text().replace("\n", " | "))
    for error in auditor.errors:
        print(f"{path}: error {error.code}: {error.message}")
    for fix in auditor.fixes:
        print(f"{path}: fixed {fix.code}: {fix.message}")
    return not auditor.has_errors


def main(paths):
    if not paths:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    ok = all([audit(p) for p in paths])
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
