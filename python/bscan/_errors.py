"""The exception of a BSDL file that cannot be read."""


class ReadError(ValueError):
    """A BSDL file the library cannot read.

    The message is the sentence of the message file (ErrorList.txt) for the
    code; ``code`` is the library's negative result code, ``name`` its name
    (``"BSDL_ERR_SYNTAX"`` ...), ``line`` the line the reader had reached and
    ``path`` the path as given (``"<string>"`` for ``read_string``).
    """

    __module__ = "bscan"

    def __init__(self, message, code, name, line, path):
        super().__init__(message)
        self.code = code
        self.name = name
        self.line = line
        self.path = path

    def __reduce__(self):
        return (type(self), (self.args[0], self.code, self.name, self.line, self.path))

    def __str__(self):
        return self.args[0]


class ChainError(ValueError):
    """A chain file (or a BSDL file it names) that cannot be read, or a
    drive or SVF the chain refuses. The message is the chain's error text
    (``FILE:LINE: error: ...`` for what is read); ``path`` is the chain file.
    """

    __module__ = "bscan"

    def __init__(self, message, path):
        super().__init__(message)
        self.path = path

    def __reduce__(self):
        return (type(self), (self.args[0], self.path))

    def __str__(self):
        return self.args[0]
