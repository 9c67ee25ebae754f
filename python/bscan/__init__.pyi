from ._bscan import Cell as Cell
from ._bscan import Chain as Chain
from ._bscan import ChainDevice as ChainDevice
from ._bscan import Device as Device
from ._bscan import Finding as Finding
from ._bscan import Idcode as Idcode
from ._bscan import Port as Port
from ._bscan import check as check
from ._bscan import message_dir as message_dir
from ._bscan import read as read
from ._bscan import read_string as read_string
from ._errors import ChainError as ChainError
from ._errors import ReadError as ReadError

__all__ = ["Cell", "Chain", "ChainDevice", "ChainError", "Device", "Finding", "Idcode", "Port", "ReadError", "check",
           "message_dir", "read", "read_string"]
