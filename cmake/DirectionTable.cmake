# Which code may use which: the table that cmake/CheckDirection.cmake holds every
# #include "x/..." below src/ and every link between the project's targets against.
# Dependencies run one way, bottom to top; a unit may always use itself.
#
# Each entry: a unit, a colon, the units it may use ("*" for all).
set(KVT_DIRECTION_USES
    "state           :"
    "common          : state"
    "options         : state common"
    "tooldb          : state common options"
    # The NC program check compares the program's tool offsets with the tool table.
    "serial          : state common options tooldb"
    "app             : state common options tooldb serial"
    # The window folders build on the shell and everything below it, never on each other;
    # they meet only through the central state and the application messages.
    "machining       : state common options tooldb serial app"
    "design          : state common options tooldb serial app"
    "support         : state common options tooldb serial app"
    "calclib         : state common options tooldb serial app"
    "options_windows : state common options tooldb serial app"
    "serial_windows  : state common options tooldb serial app"
    "tooldb_windows  : state common options tooldb serial app"
    # main and the table of window factories: the one place that knows every window.
    "program         : *"
)

# Each folder below src/ and its unit. A folder with a second unit holds both plain code
# and windows: the files of its Qt targets are windows (the options dialog beside the
# options record, the transfer window beside the serial link, the tool windows beside
# the tool table) and stand above the shell.
set(KVT_DIRECTION_FOLDERS
    "state      state"
    "common     common"
    "options    options    options_windows"
    "tooldb     tooldb     tooldb_windows"
    "serial     serial     serial_windows"
    "app        app"
    "machining  machining"
    "design     design"
    "support    support"
    "calclib    calclib"
    "program    program"
)

# Files that stand in another unit than their folder says: a path below src/ and its unit,
# e.g. "app/main.cpp  program". Keep this empty; every line would be a move still to be
# made, and the check refuses a line that names no file.
set(KVT_DIRECTION_EXCEPTIONS)
