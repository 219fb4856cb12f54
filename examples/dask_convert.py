#!/usr/bin/env python3
"""Converts a folder tree of metafiles into DXF files on a Dask cluster.

    python3 dask_convert.py IN OUT [--scheduler ADDRESS] [--r14] [--white]
                            [--no-mm] [--black250] [--pen-ratio X]

Every *.emf and *.wmf file below IN (any letter case) becomes one DXF file
at the same relative place below OUT, through the metrovane module, with
the command line's switches and output names. Files that fail are listed
in OUT/failures.csv (path, message); the exit status is 1 when there are
any. Without --scheduler a LocalCluster on this machine does the work;
with it, the workers of that cluster, which need the metrovane module
(the Debian package) and read and write IN and OUT under the same paths.
"""

import argparse
import csv
import os
import pathlib
import sys

from dask.distributed import Client, LocalCluster, as_completed

METAFILE_SUFFIXES = (".emf", ".wmf")
# One task converts this many files: one file a task would spend more time
# on scheduling than on converting.
CHUNK = 64


def find_metafiles(root):
    found = []
    for folder, _, names in os.walk(root):
        found.extend(pathlib.Path(folder, n) for n in names if n.lower().endswith(METAFILE_SUFFIXES))
    return sorted(found)


def convert_chunk(jobs, switches):
    """Runs on a worker: (input, output folder) pairs -> (input, dxf, error)."""
    import metrovane

    results = []
    for source, out_dir in jobs:
        try:
            results.append((source, metrovane.convert_file(source, out_dir, **switches), ""))
        except (metrovane.Error, OSError) as error:
            results.append((source, "", str(error)))
    return results


def convert_tree(client, root, out, switches):
    """Converts the tree on the client's cluster; returns (converted, failures)
    with failures as (path, message) pairs in path order."""
    root, out = pathlib.Path(root).absolute(), pathlib.Path(out).absolute()
    jobs = [(str(p), str(out / p.parent.relative_to(root))) for p in find_metafiles(root)]
    chunks = [jobs[i : i + CHUNK] for i in range(0, len(jobs), CHUNK)]
    converted, failures = 0, []
    for future in as_completed(client.map(convert_chunk, chunks, switches=switches, pure=False)):
        for source, _, error in future.result():
            if error:
                failures.append((source, error))
            else:
                converted += 1
    failures.sort()
    out.mkdir(parents=True, exist_ok=True)
    with open(out / "failures.csv", "w", newline="", encoding="utf-8") as table:
        writer = csv.writer(table)
        writer.writerow(["path", "message"])
        writer.writerows(failures)
    return converted, failures


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("input", help="folder tree with metafiles")
    parser.add_argument("output", help="folder for the DXF files and failures.csv")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler (tcp://host:8786)")
    parser.add_argument("--workers", type=int, default=os.cpu_count(), help="LocalCluster workers")
    parser.add_argument("--r14", action="store_true")
    parser.add_argument("--white", action="store_true")
    parser.add_argument("--no-mm", dest="mm", action="store_false")
    parser.add_argument("--black250", action="store_true")
    parser.add_argument("--pen-ratio", type=float, default=-1.0)
    args = parser.parse_args(argv)
    switches = dict(r14=args.r14, white=args.white, mm=args.mm, black250=args.black250, pen_ratio=args.pen_ratio)

    if args.scheduler:
        client = Client(args.scheduler)
    else:
        cluster = LocalCluster(n_workers=args.workers, threads_per_worker=1, dashboard_address=None)
        client = Client(cluster)
    with client:
        converted, failures = convert_tree(client, args.input, args.output, switches)
    print(f"{converted} Dateien konvertiert, {len(failures)} fehlgeschlagen")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
