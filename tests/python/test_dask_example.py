"""examples/dask_convert.py on a LocalCluster: a tree in, the same tree of
DXF files out, and the failures in a CSV."""

import csv
import os
import pathlib
import shutil
import sys
import tempfile
import unittest

SOURCE = pathlib.Path(os.environ["MV_SOURCE_DIR"])
try:
    from dask.distributed import Client, LocalCluster
except ImportError as missing:
    DASK_MISSING = f"Dask distributed is not installed ({missing}); Debian package python3-distributed"
else:
    DASK_MISSING = None

import metrovane


@unittest.skipIf(DASK_MISSING, DASK_MISSING)
class DaskExampleTest(unittest.TestCase):
    def test_a_tree_converts_on_a_local_cluster(self):
        examples = SOURCE / "examples"
        # The worker processes import the example's functions by name.
        os.environ["PYTHONPATH"] = os.pathsep.join([str(examples), os.environ.get("PYTHONPATH", "")])
        sys.path.insert(0, str(examples))
        import dask_convert

        with tempfile.TemporaryDirectory() as work:
            root, out = pathlib.Path(work, "in"), pathlib.Path(work, "out")
            inputs = {"plan.emf": examples / "pens.emf", "a/plan.EMF": examples / "curves.emf",
                      "a/b/formen.wmf": examples / "wmf_shapes.wmf"}
            for name, origin in inputs.items():
                (root / name).parent.mkdir(parents=True, exist_ok=True)
                shutil.copy(origin, root / name)
            (root / "a/kaputt.emf").write_bytes(b"kein Bild")
            (root / "a/liesmich.txt").write_text("kein Bild")

            with LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None,
                              host="127.0.0.1") as cluster, Client(cluster) as client:
                converted, failures = dask_convert.convert_tree(client, root, out, {"white": True})

            self.assertEqual(converted, 3)
            self.assertEqual(failures, [(str(root / "a/kaputt.emf"), "Metadatei ist ungültig")])
            with open(out / "failures.csv", newline="", encoding="utf-8") as table:
                self.assertEqual(list(csv.reader(table)),
                                 [["path", "message"], [str(root / "a/kaputt.emf"), "Metadatei ist ungültig"]])
            for name, origin in inputs.items():
                dxf = (out / name).with_suffix(".dxf")
                self.assertEqual(dxf.read_bytes(), metrovane.convert(origin.read_bytes(), white=True), name)


if __name__ == "__main__":
    unittest.main()
