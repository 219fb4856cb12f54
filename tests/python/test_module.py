"""The Python module against the command line: same bytes for the same
switches, the converter's errors as metrovane.Error, parallel threads."""

import concurrent.futures
import os
import pathlib
import subprocess
import tempfile
import unittest

import metrovane

SOURCE = pathlib.Path(os.environ["MV_SOURCE_DIR"])
CLI = os.environ["MV_CLI_PATH"]
EXAMPLES = sorted(p for p in (SOURCE / "examples").iterdir() if p.suffix in (".emf", ".wmf"))

# Python keywords and the command line's words for the same switches.
SWITCH_SETS = [
    ({}, []),
    ({"r14": True, "white": True}, ["--r14", "--white"]),
    ({"mm": False, "black250": True, "pen_ratio": 0.35}, ["--no-mm", "--black250", "--pen-ratio", "0.35"]),
]


def cli_output(path, args, folder):
    subprocess.run([CLI, "convert", "-q", "-o", folder, *args, str(path)], check=True)
    return (pathlib.Path(folder) / (path.stem + ".dxf")).read_bytes()


class ModuleTest(unittest.TestCase):
    def test_output_equals_the_command_line_for_every_example(self):
        self.assertTrue(EXAMPLES)
        for keywords, args in SWITCH_SETS:
            with tempfile.TemporaryDirectory() as folder:
                for path in EXAMPLES:
                    with self.subTest(example=path.name, switches=args):
                        self.assertEqual(metrovane.convert(path.read_bytes(), **keywords),
                                         cli_output(path, args, folder))

    def test_convert_file_numbers_a_taken_name_as_the_command_line_does(self):
        example = EXAMPLES[0]
        with tempfile.TemporaryDirectory() as folder:
            out = pathlib.Path(folder) / "neu" / "aus"
            first = metrovane.convert_file(example, out, r14=True)
            second = metrovane.convert_file(str(example), str(out) + "/", r14=True)
            self.assertEqual(first, str(out / (example.stem + ".dxf")))
            self.assertEqual(second, str(out / (example.stem + "0.dxf")))
            self.assertEqual(pathlib.Path(second).read_bytes(), metrovane.convert(example.read_bytes(), r14=True))

    def test_errors_carry_the_converters_message(self):
        self.assertTrue(issubclass(metrovane.Error, Exception))
        with self.assertRaisesRegex(metrovane.Error, "^Metadatei ist ungültig$"):
            metrovane.convert(b"kein Bild")
        with self.assertRaisesRegex(metrovane.Error, "^Metadatei ist ungültig$"):
            metrovane.convert(EXAMPLES[0].read_bytes()[:200])
        with tempfile.TemporaryDirectory() as folder:
            with self.assertRaisesRegex(metrovane.Error, "fehlt.emf kann nicht geöffnet werden"):
                metrovane.convert_file(pathlib.Path(folder) / "fehlt.emf", folder)
            self.assertEqual(os.listdir(folder), [])
        with self.assertRaises(TypeError):
            metrovane.convert(b"", colour=True)
        with self.assertRaises(ValueError):
            metrovane.convert(EXAMPLES[0].read_bytes(), pen_ratio=float("nan"))

    def test_images_are_written_beside_the_drawing_unless_switched_off(self):
        corpus = SOURCE.parent / "shared" / "corpus" / "emf" / "libemf2svg__test-041.emf"
        if not corpus.exists():
            self.skipTest(f"no metafile with a bitmap at {corpus}")
        for images, args in ((True, []), (False, ["--no-images"])):
            with tempfile.TemporaryDirectory() as mine, tempfile.TemporaryDirectory() as cli:
                written = pathlib.Path(metrovane.convert_file(corpus, mine, images=images))
                self.assertEqual(written.read_bytes(), cli_output(corpus, args, cli))
                self.assertEqual(sorted(os.listdir(mine)), sorted(os.listdir(cli)))
                self.assertEqual(any(name.endswith(".png") for name in os.listdir(mine)), images)

    def test_threads_give_the_serial_results(self):
        inputs = [p.read_bytes() for p in EXAMPLES] * 4
        serial = [metrovane.convert(data, white=True) for data in inputs]
        with concurrent.futures.ThreadPoolExecutor(4) as pool:
            self.assertEqual(list(pool.map(lambda d: metrovane.convert(d, white=True), inputs)), serial)

    def test_version_is_the_projects(self):
        self.assertEqual(metrovane.__version__, os.environ["MV_PROJECT_VERSION"])


if __name__ == "__main__":
    unittest.main()
