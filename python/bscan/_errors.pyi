class ReadError(ValueError):
    code: int
    name: str
    line: int
    path: str
    def __init__(self, message: str, code: int, name: str, line: int, path: str) -> None: ...

class ChainError(ValueError):
    path: str
    def __init__(self, message: str, path: str) -> None: ...
