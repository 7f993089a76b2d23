from . import image as image
from . import model as model

class ModelError(Exception):
    kind: str
    message: str
    def __init__(self, kind: str, message: str) -> None: ...

class ImageError(Exception):
    message: str
    def __init__(self, message: str) -> None: ...

class ModelWarning(UserWarning): ...
