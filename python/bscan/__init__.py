"""Boundary-scan descriptions (BSDL) read by the bscan library.

    import bscan
    device = bscan.read("board/u12.bsdl")
    device.drive(LED=1)
    print(device.bits)

``read`` and ``read_string`` give a ``Device``; a file that cannot be read
raises ``ReadError`` (a ``ValueError``), a missing file ``FileNotFoundError``.
Reads from several threads take turns (the library reads through one
process-wide stream) and run without the GIL.
"""

from ._errors import ChainError, ReadError
from ._bscan import (Cell, Chain, ChainDevice, Device, Finding, Idcode, Port, check, message_dir, read,
                     read_string)

__all__ = ["Cell", "Chain", "ChainDevice", "ChainError", "Device", "Finding", "Idcode", "Port", "ReadError", "check",
           "message_dir", "read", "read_string"]
