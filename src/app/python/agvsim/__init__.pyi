from os import PathLike
from typing import Any, Dict, Iterator, List, Optional, Sequence, Tuple, Union

import numpy
import numpy.typing

Number = Union[int, float]
Axis = Union[Number, Sequence[Number], str]

COLUMNS: Tuple[str, ...]
SWEEP_COLUMNS: Tuple[str, ...]
VEHICLE_TYPES: Dict[int, str]

class Refused(ValueError):
    reason: str
    message: str
    field: str
    def __init__(self, reason: str, message: str = ..., field: str = ...) -> None: ...

class PathTooLong(Refused): ...

class Samples:
    vehicle_type: int
    data: numpy.typing.NDArray[numpy.float64]
    t: numpy.typing.NDArray[numpy.float64]
    theory_s: numpy.typing.NDArray[numpy.float64]
    theory_theta: numpy.typing.NDArray[numpy.float64]
    theory_x: numpy.typing.NDArray[numpy.float64]
    theory_y: numpy.typing.NDArray[numpy.float64]
    theory_phi: numpy.typing.NDArray[numpy.float64]
    nofbc_s: numpy.typing.NDArray[numpy.float64]
    nofbc_theta: numpy.typing.NDArray[numpy.float64]
    nofbc_x: numpy.typing.NDArray[numpy.float64]
    nofbc_y: numpy.typing.NDArray[numpy.float64]
    nofbc_phi: numpy.typing.NDArray[numpy.float64]
    fbc_s: numpy.typing.NDArray[numpy.float64]
    fbc_theta: numpy.typing.NDArray[numpy.float64]
    fbc_x: numpy.typing.NDArray[numpy.float64]
    fbc_y: numpy.typing.NDArray[numpy.float64]
    fbc_phi: numpy.typing.NDArray[numpy.float64]
    ref_s: numpy.typing.NDArray[numpy.float64]
    ref_theta: numpy.typing.NDArray[numpy.float64]
    ref_x: numpy.typing.NDArray[numpy.float64]
    ref_y: numpy.typing.NDArray[numpy.float64]
    ref_phi: numpy.typing.NDArray[numpy.float64]
    nofbc_dd: numpy.typing.NDArray[numpy.float64]
    nofbc_dth: numpy.typing.NDArray[numpy.float64]
    fbc_dd: numpy.typing.NDArray[numpy.float64]
    fbc_dth: numpy.typing.NDArray[numpy.float64]
    record: numpy.typing.NDArray[numpy.int64]
    def __len__(self) -> int: ...
    def __getitem__(self, name: str) -> numpy.typing.NDArray[Any]: ...

class Run:
    outcome: str
    reason: str
    @property
    def theory(self) -> Dict[str, Any]: ...
    @property
    def types(self) -> Dict[int, Samples]: ...
    def __getitem__(self, vehicle_type: int) -> Samples: ...
    def __iter__(self) -> Iterator[Samples]: ...
    def to_csv(self, path: Union[str, PathLike[str]]) -> None: ...
    def csv(self) -> bytes: ...
    def summary(self) -> Dict[int, Dict[str, float]]: ...
    def frame(self) -> Any: ...

class CurveConstant:
    name: str
    startup: float
    zero_makes_no_path: bool

class Curve:
    number: int
    name: str
    constants: Tuple[CurveConstant, ...]

class MechanismError:
    number: int
    name: str
    value_count: int
    unit: str

def run(
    error: int = ...,
    error_values: Union[Number, Sequence[Number]] = ...,
    curve: int = ...,
    curve_params: Optional[Union[Number, Sequence[Number]]] = ...,
    fn: float = ...,
    zeta: float = ...,
) -> Run: ...
def curves() -> List[Curve]: ...
def errors() -> List[MechanismError]: ...

class SweepTable:
    def __len__(self) -> int: ...
    def __getitem__(self, name: str) -> numpy.typing.NDArray[Any]: ...
    def __getattr__(self, name: str) -> numpy.typing.NDArray[Any]: ...
    def csv(self) -> bytes: ...
    def to_csv(self, path: Union[str, PathLike[str]]) -> None: ...
    def frame(self) -> Any: ...
    def grid(
        self, column: str, vehicle_type: int
    ) -> Tuple[numpy.typing.NDArray[numpy.float64], numpy.typing.NDArray[numpy.float64], numpy.typing.NDArray[numpy.float64]]: ...

def sweep(
    fn: Axis = ...,
    zeta: Axis = ...,
    error_size: Optional[Axis] = ...,
    jobs: Optional[int] = ...,
    client: Any = ...,
    shards: Optional[int] = ...,
    error: int = ...,
    error_values: Union[Number, Sequence[Number]] = ...,
    curve: int = ...,
    curve_params: Optional[Union[Number, Sequence[Number]]] = ...,
    theory: bool = ...,
) -> SweepTable: ...
def sweep_on_dask(client: Any, shards: Optional[int] = ..., **arguments: Any) -> SweepTable: ...
def theory(
    error: int = ...,
    error_values: Union[Number, Sequence[Number]] = ...,
    curve: int = ...,
    curve_params: Optional[Union[Number, Sequence[Number]]] = ...,
    fn: float = ...,
    zeta: float = ...,
) -> Dict[str, Any]: ...
def sweep_shard(shard: int, shards: int, **arguments: Any) -> bytes: ...
def merge_shards(tables: Sequence[bytes]) -> SweepTable: ...
