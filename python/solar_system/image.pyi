"""Windows bitmaps (DIB/BMP) and SGI RGB pictures as numpy arrays."""

import os
from typing import Union

import numpy as np
import numpy.typing as npt

def load(path: Union[str, bytes, os.PathLike]) -> npt.NDArray[np.uint8]:
    """Decodes a DIB/BMP or SGI RGB picture, chosen by content.

    Returns H x W x 3 uint8 (red, green, blue), top row first.  Raises
    solar_system.ImageError.
    """
