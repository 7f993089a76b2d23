#!/usr/bin/python3
"""Loading OBJ files from Python: solar_system.model.load_obj against
tinyobjloader and against glmLoadOBJ called from C++.

Each load runs in a fresh process, the loaders taking turns round after
round, so that they share the machine's load alike.  For each file and
loader the table gives the best of the rounds (what the loader costs when
nothing else gets in its way), the median, and the page faults the load
took (the median round's); the ratios of the best times and of the medians
follow.  "solar_system" is the load plus every array a numpy user wants
(positions, normals, uvs and the three F x 3 index arrays); "tinyobjloader"
is its load plus its positions and indices as numpy arrays.  Both start
their clocks with numpy imported, as a numpy user's program has.  solar_system
and C++ read with the same number of threads.  The processor, the threads
and the machine's load are printed with the figures.
"""

import argparse
import os
import statistics
import subprocess
import sys

FILES = [
    ("sphere v/vt/vn", "sphere-triangles.obj", "triangles"),
    ("sphere v only", "sphere-plain.obj", "plain"),
    ("torus quads", "torus-quads.obj", "torus"),
]

# Each prints: seconds, page faults during the timed part.
OURS = """
import resource, sys, time
import numpy
from solar_system import model
def faults():
    usage = resource.getrusage(resource.RUSAGE_SELF)
    return usage.ru_minflt + usage.ru_majflt
before = faults()
start = time.perf_counter()
mesh = model.load_obj(sys.argv[1], threads=int(sys.argv[2]))
arrays = (mesh.positions, mesh.normals, mesh.uvs, mesh.triangles, mesh.triangle_normals, mesh.triangle_uvs)
seconds = time.perf_counter() - start
print(seconds, faults() - before)
"""

TINYOBJ = """
import resource, sys, time
import numpy
import tinyobjloader
def faults():
    usage = resource.getrusage(resource.RUSAGE_SELF)
    return usage.ru_minflt + usage.ru_majflt
before = faults()
start = time.perf_counter()
reader = tinyobjloader.ObjReader()
config = tinyobjloader.ObjReaderConfig()
config.triangulate = True
if not reader.ParseFromFile(sys.argv[1], config):
    sys.exit(reader.Error())
positions = reader.GetAttrib().numpy_vertices()
indices = [shape.mesh.numpy_indices() for shape in reader.GetShapes()]
seconds = time.perf_counter() - start
print(seconds, faults() - before)
"""


def timed(command):
    """(seconds, page faults) of one run."""
    done = subprocess.run(command, capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit(f"{command[0]}: {done.stderr.strip()}")
    words = done.stdout.split()
    return float(words[0]), int(words[1])


def processor():
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                return line.split(":", 1)[1].strip()
    return "unknown processor"


def load():
    one, five, _ = os.getloadavg()
    return f"load {one:.2f} {five:.2f}"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cpp", required=True, help="python_bench_cpp_load")
    parser.add_argument("--make", required=True, help="model_sphere_file, which writes the files")
    parser.add_argument("--data", required=True, help="folder of the benchmark files")
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--threads", type=int, default=0,
                        help="reader threads for solar_system and C++ (0: every processor the reader may use)")
    parser.add_argument("--without-tinyobjloader", action="store_true", help="solar_system and C++ only")
    args = parser.parse_args()
    os.makedirs(args.data, exist_ok=True)
    threads = args.threads
    loaders = {"solar_system": lambda path: timed([sys.executable, "-c", OURS, path, str(threads)])}
    if not args.without_tinyobjloader:
        loaders["tinyobjloader"] = lambda path: timed([sys.executable, "-c", TINYOBJ, path])
    loaders["C++ glmLoadOBJ"] = lambda path: timed([args.cpp, path, str(threads)])
    reader_threads = threads
    if not reader_threads:  # what the reader chooses, as the C++ side reports it
        first = os.path.join(args.data, FILES[1][1])
        subprocess.run([args.make, first, FILES[1][2]], check=True)
        reader_threads = int(subprocess.run([args.cpp, first], capture_output=True, text=True,
                                            check=True).stdout.split()[2])
    print(f"processor: {processor()}, {len(os.sched_getaffinity(0))} processors; "
          f"solar_system and C++ read on {reader_threads} threads; tinyobjloader on 1; {load()}")
    print(f"{'file':24} {'loader':15} {'best':>9} {'median':>9} {'page faults':>12} {'threads':>8}")
    for kind, name, form in FILES:
        path = os.path.join(args.data, name)
        subprocess.run([args.make, path, form], check=True)
        label = f"{kind} {os.path.getsize(path) / 1e6:.0f} MB"
        runs = {loader: [] for loader in loaders}
        for _ in range(args.rounds):
            for loader, run in loaders.items():
                runs[loader].append(run(path))
        best, median = {}, {}
        for loader, results in runs.items():
            times = [seconds for seconds, _ in results]
            best[loader] = min(times)
            median[loader] = statistics.median(times)
            faults = sorted(results)[len(results) // 2][1]
            used = 1 if loader == "tinyobjloader" else reader_threads
            print(f"{label:24} {loader:15} {best[loader]:8.3f}s {median[loader]:8.3f}s {faults:12d} {used:8d}",
                  flush=True)
        ours = "solar_system"
        for other in loaders:
            if other != ours:
                print(f"{label:24} {ours} / {other}: best {best[ours] / best[other]:.3f}, "
                      f"median {median[ours] / median[other]:.3f}", flush=True)
        print(f"{'':24} {load()}", flush=True)


if __name__ == "__main__":
    main()
