#!/usr/bin/python3
"""Opens DXF files with the independent reader ezdxf and audits them.

Usage: ezdxf_audit.py FILE...
Prints every audit error, every entity type found, what each MTEXT shows and
the placement and file of every image; exits 1 when a file
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
    for image in doc.modelspace().query("IMAGE"):
        d = image.dxf
        name = image.image_def.dxf.filename if image.image_def else None
        print(f"{path}: IMAGE at {d.insert.x:g},{d.insert.y:g}"
              f" u {d.u_pixel.x:g},{d.u_pixel.y:g} v {d.v_pixel.x:g},{d.v_pixel.y:g}"
              f" size {d.image_size.x:g}x{d.image_size.y:g} file {name}")
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
