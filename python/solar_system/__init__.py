"""Solar System's model library and picture decoders for Python.

Two submodules:

``solar_system.model``
    Wavefront OBJ models with their MTL material libraries: reading
    (``load_obj``, ``parse_obj``), geometry operations and writing, with the
    model's arrays as numpy arrays that share the model's memory.

``solar_system.image``
    Windows bitmaps (DIB/BMP) and SGI RGB pictures decoded into numpy arrays
    (``load``).

Failures raise :class:`ModelError` or :class:`ImageError`; the model
library's warnings arrive as :class:`ModelWarning` through :mod:`warnings`.
Nothing in the package prints, opens a window or ends the process.
"""

__all__ = ["ModelError", "ImageError", "ModelWarning", "model", "image"]


class ModelError(Exception):
    """The model library refused a file, a text or a write.

    ``kind`` names what went wrong ("cant_open", "unknown_token",
    "bad_reference", "material_file", "not_text" for a file that is no
    text, "bad_model" for a model whose references the library refuses,
    and for writing "cant_write"); ``message`` is the library's own line,
    the one its command-line programs print, without its line break.  When
    the library runs out of memory, MemoryError is raised instead, with the
    library's line as its message, and the model is left as it was.
    """

    def __init__(self, kind: str, message: str) -> None:
        super().__init__(message)
        self.kind = kind
        self.message = message


class ImageError(Exception):
    """A picture could not be read or decoded.

    ``message`` is the decoders' own text ("Unknown DIB file format.",
    "Invalid rgb file.", ...), or the system's reason when the file cannot be
    opened.
    """

    def __init__(self, message: str) -> None:
        super().__init__(message)
        self.message = message


class ModelWarning(UserWarning):
    """A warning or notice of the model library (an unknown material, a
    texture reference in a file without texture coordinates, a vertex that
    belongs to no triangle, ...)."""


# The extension modules look the classes above up here, so they come after.
from . import image, model  # noqa: E402
