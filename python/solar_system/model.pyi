"""Wavefront OBJ models with their MTL material libraries (see help(solar_system.model))."""

import os
from typing import Callable, Optional, Union

import numpy as np
import numpy.typing as npt

_Path = Union[str, bytes, os.PathLike]

MODE_PLAIN: int
MODE_FLAT: int
MODE_SMOOTH: int
MODE_TEXTURE: int
MODE_COLOR: int
MODE_MATERIAL: int
MODE_KEEP_ALL: int

class Group:
    """A named group of triangles (a copy)."""
    @property
    def name(self) -> str: ...
    @property
    def material(self) -> int:
        """Index into Mesh.materials; 0 is "default"."""
    @property
    def faces(self) -> npt.NDArray[np.int32]:
        """0-based indices of the group's triangles."""

class Material:
    """One material of the model's library (a copy)."""
    @property
    def name(self) -> Optional[str]: ...
    @property
    def diffuse(self) -> list[float]: ...
    @property
    def ambient(self) -> list[float]: ...
    @property
    def specular(self) -> list[float]: ...
    @property
    def emission(self) -> list[float]: ...
    @property
    def shininess(self) -> float:
        """OpenGL's 0..128 scale."""
    @property
    def kept_statements(self) -> list[str]:
        """Statements kept without being interpreted, in file order."""

class ObjectRun:
    @property
    def first_face(self) -> int: ...
    @property
    def name(self) -> str: ...

class SmoothingRun:
    @property
    def first_face(self) -> int: ...
    @property
    def group(self) -> int:
        """0 for "s off"."""

class Mesh:
    """A model read from an OBJ file.

    Float arrays view the model's own memory (entries 1..N of the 1-based
    arrays; the spare entry 0 is left out) and keep the Mesh alive.  Arrays
    taken before an operation that replaces them keep the old values.
    """
    @property
    def positions(self) -> npt.NDArray[np.float32]:
        """N x 3, writable view of the vertex positions."""
    @property
    def normals(self) -> npt.NDArray[np.float32]:
        """N x 3 view; 0 x 3 without normals."""
    @property
    def uvs(self) -> npt.NDArray[np.float32]:
        """N x 2 view; 0 x 2 without texture coordinates."""
    @property
    def colors(self) -> npt.NDArray[np.float32]:
        """N x 3 view of the vertex colours, one per position; 0 x 3 without."""
    @property
    def facet_normals(self) -> npt.NDArray[np.float32]:
        """F x 3 view after compute_facet_normals; 0 x 3 before."""
    @property
    def triangles(self) -> npt.NDArray[np.int32]:
        """F x 3 indices into positions (read-only copy)."""
    @property
    def triangle_normals(self) -> npt.NDArray[np.int32]:
        """F x 3 indices into normals, -1 for none (read-only copy; shares triangles' memory when equal)."""
    @property
    def triangle_uvs(self) -> npt.NDArray[np.int32]:
        """F x 3 indices into uvs, -1 for none (read-only copy; shares triangles' memory when equal)."""
    @property
    def triangle_facet_normals(self) -> npt.NDArray[np.int32]:
        """F indices into facet_normals, -1 for none (read-only copy)."""
    @property
    def groups(self) -> list[Group]:
        """Oldest first: "default", then in the order the file names them."""
    @property
    def materials(self) -> list[Material]:
        """Entry 0 is "default"; empty without a library."""
    @property
    def objects(self) -> list[ObjectRun]: ...
    @property
    def smoothing_groups(self) -> list[SmoothingRun]: ...
    @property
    def lines(self) -> list[npt.NDArray[np.int32]]:
        """Per "l" statement, 0-based position indices."""
    @property
    def line_uvs(self) -> list[npt.NDArray[np.int32]]:
        """Per "l" statement, 0-based uv indices, -1 for none."""
    @property
    def points(self) -> npt.NDArray[np.int32]:
        """0-based position indices of the "p" statements."""
    @property
    def source_path(self) -> Optional[str]: ...
    @property
    def material_library(self) -> Optional[str]: ...
    def unitize(self) -> float:
        """Centres the bounding box at the origin and scales its largest extent to 2; returns the scale."""
    def scale(self, factor: float) -> None:
        """Multiplies every position by factor."""
    def reverse(self) -> None:
        """Reverses every triangle's winding and negates normals and facet normals."""
    def compute_facet_normals(self) -> None:
        """One unit normal per triangle into facet_normals."""
    def compute_vertex_normals(self, angle: float = 90.0) -> None:
        """Smoothed normals within angle degrees; needs facet normals (ValueError without)."""
    def weld(self, epsilon: float) -> None:
        """Merges positions closer than epsilon on every axis; renumbers the triangles."""
    def compute_linear_uv(self) -> None:
        """One texture coordinate per position from x and z."""
    def compute_sphere_uv(self) -> None:
        """One texture coordinate per normal; needs normals (ValueError without)."""
    def extents(self) -> tuple[float, float, float]:
        """|max| + |min| of each axis."""
    def save(self, path: _Path, mode: Optional[int] = None) -> None:
        """Writes OBJ (and MTL with MODE_MATERIAL); None writes all the model has. Raises ModelError."""

def load_obj(path: _Path, threads: int = 0) -> Mesh:
    """Reads an OBJ file and its material library; raises ModelError."""

def parse_obj(
    data: Union[str, bytes, bytearray, memoryview],
    source_path: Optional[_Path] = None,
    load_materials: Optional[Callable[[str], Union[str, bytes, None]]] = None,
) -> Mesh:
    """Reads OBJ text from memory; load_materials(name) supplies MTL text or None."""
