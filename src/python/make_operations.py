"""Writes kalvio/_operations.py, the package's function of each operation of
the operation table, with its signature and help, from the extension just
built: python3 make_operations.py PACKAGE_DIR (the folder of _kalvio)."""
import importlib.util
import pathlib
import sys

KINDS = {"int": "int", "float": "float", "time": "float"}


def function(name, args, flag, doc):
    """The source of one function."""
    params = ["signal: Signal"] + ["%s: %s" % (a, KINDS[kind]) for a, kind, _ in args]
    if flag:
        params.append("%s: bool = False" % flag)
    example = ", ".join(["signal"] + [value for _, _, value in args] + (["%s=True" % flag] if flag else []))
    numbers = "(%s)" % "".join(a + ", " for a, _, _ in args) if args else "()"
    lines = doc.rstrip("\n").split("\n") + ["", "    >>> kalvio.%s(%s)" % (name, example)]
    body = "\n".join(("    " + line) if line else "" for line in lines)
    return ('def %s(%s) -> Signal:\n    """%s\n    """\n    return _kalvio._operation("%s", signal, %s, %s)\n'
            % (name, ", ".join(params), body.lstrip(), name, numbers, flag or "False"))


def main(folder):
    folder = pathlib.Path(folder)
    [path] = [p for p in folder.iterdir() if p.name.startswith("_kalvio.") and p.suffix in (".so", ".pyd")]
    spec = importlib.util.spec_from_file_location("_kalvio", path)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    table = module._operation_table()
    names = [name for name, *_ in table]
    source = ['"""The operations of one signal, one function each, made from the operation',
              'table the kalvio commands are made from. Made at build time by',
              'make_operations.py; not to be edited."""',
              "from . import _kalvio",
              "from ._kalvio import Signal",
              "",
              "__all__ = [%s]" % ", ".join('"%s"' % n for n in names), ""]
    for entry in table:
        source += ["", function(*entry)]
    text = "\n".join(source)
    target = folder / "_operations.py"
    if not target.exists() or target.read_text() != text:
        target.write_text(text)


if __name__ == "__main__":
    main(sys.argv[1])
