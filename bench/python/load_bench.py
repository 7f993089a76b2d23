#!/usr/bin/python3
"""Loading OBJ files from Python: solar_system.model.load_obj against
tinyobjloader and against glmLoadOBJ called from C++.

Each load runs in a fresh process, the loaders taking turns round after
round, so that they share the machine's load alike; the table gives the
best of the rounds (what the loader costs when nothing else gets in its way)
and the ratios of the best times; the medians follow.  "solar_system" is the load plus every array a numpy
user wants (positions, normals, uvs and the three F x 3 index arrays);
"tinyobjloader" is its load plus its positions and indices as numpy arrays.
Both start their clocks with numpy imported, as a numpy user's program has.
"""

import argparse
import os
import statistics
import subprocess
import sys

FILES = [
    ("sphere 105 MB v/vt/vn", "sphere-triangles.obj", "triangles"),
    ("sphere 38 MB v only", "sphere-plain.obj", "plain"),
    ("torus 88 MB quads", "torus-quads.obj", "torus"),
]

OURS = """
import sys, time
import numpy
from solar_system import model
start = time.perf_counter()
mesh = model.load_obj(sys.argv[1])
arrays = (mesh.positions, mesh.normals, mesh.uvs, mesh.triangles, mesh.triangle_normals, mesh.triangle_uvs)
print(time.perf_counter() - start)
"""

TINYOBJ = """
import sys, time
import numpy
import tinyobjloader
start = time.perf_counter()
reader = tinyobjloader.ObjReader()
config = tinyobjloader.ObjReaderConfig()
config.triangulate = True
if not reader.ParseFromFile(sys.argv[1], config):
    sys.exit(reader.Error())
positions = reader.GetAttrib().numpy_vertices()
indices = [shape.mesh.numpy_indices() for shape in reader.GetShapes()]
print(time.perf_counter() - start)
"""


def timed(command):
    done = subprocess.run(command, capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit(f"{command[0]}: {done.stderr.strip()}")
    return float(done.stdout.split()[-1])


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cpp", required=True, help="python_bench_cpp_load")
    parser.add_argument("--make", required=True, help="model_sphere_file, which writes the files")
    parser.add_argument("--data", required=True, help="folder of the benchmark files")
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()
    os.makedirs(args.data, exist_ok=True)
    loaders = {
        "solar_system": lambda path: timed([sys.executable, "-c", OURS, path]),
        "tinyobjloader": lambda path: timed([sys.executable, "-c", TINYOBJ, path]),
        "C++ glmLoadOBJ": lambda path: timed([args.cpp, path]),
    }
    print(f"load: {os.getloadavg()[0]:.2f} {os.getloadavg()[1]:.2f}, processors: {len(os.sched_getaffinity(0))}")
    header = f"{'file':24} " + " ".join(f"{name:>15}" for name in loaders) + f" {'/tinyobj':>9} {'/C++':>6}"
    print(header)
    for label, name, form in FILES:
        path = os.path.join(args.data, name)
        subprocess.run([args.make, path, form], check=True)
        times = {loader: [] for loader in loaders}
        for _ in range(args.rounds):
            for loader, run in loaders.items():
                times[loader].append(run(path))
        best = {loader: min(t) for loader, t in times.items()}
        median = {loader: statistics.median(t) for loader, t in times.items()}
        ours = best["solar_system"]
        print(f"{label:24} " + " ".join(f"{best[n]:14.3f}s" for n in loaders) +
              f" {ours / best['tinyobjloader']:9.3f} {ours / best['C++ glmLoadOBJ']:6.2f}", flush=True)
        print(f"{'  median':24} " + " ".join(f"{median[n]:14.3f}s" for n in loaders) +
              f" {median['solar_system'] / median['tinyobjloader']:9.3f}"
              f" {median['solar_system'] / median['C++ glmLoadOBJ']:6.2f}", flush=True)
    print(f"load: {os.getloadavg()[0]:.2f} {os.getloadavg()[1]:.2f}")


if __name__ == "__main__":
    main()
