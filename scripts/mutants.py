#!/usr/bin/env python3
"""mutants.py COUNT SEED PATH...: draws COUNT single-line faults at random over the C++ sources
under the PATHs and prints one a line as "FILE:LINE @@ CODE @@ FAULTY CODE", CODE being the whole
line without its indentation. The same seed over the same sources draws the same faults.

Every place where one of the operators below applies is a candidate, and the draw is uniform over
the candidates, so a long file gets more faults than a short one. Only code is mutated: comments,
string and character literals, and preprocessor lines are left alone. The sources are formatted
with spaces around binary operators, which tells `a < b` from `vector<int>` and `a - b` from `-1`.
"""
import random
import re
import sys
from pathlib import Path

SOURCE_SUFFIXES = {".c", ".cc", ".cpp", ".h", ".hpp"}

# A binary operator with white space (or the line's end) on both sides.
def binary(op):
    return re.compile(r"(?<=\s)" + re.escape(op) + r"(?=\s|$)")

COMPARISONS = {  # each comparison flipped to its opposite and loosened or tightened by one
    "<": [">=", "<="], "<=": [">", "<"], ">": ["<=", ">="], ">=": ["<", ">"],
    "==": ["!="], "!=": ["=="],
}
SWAPS = {"&&": "||", "||": "&&", "+": "-", "-": "+", "+=": "-=", "-=": "+=", "*": "/", "/": "*",
         "%": "/", "<<": ">>", ">>": "<<", "&": "|", "|": "&", "^": "|", "*=": "/=", "/=": "*=",
         "|=": "&=", "&=": "|=", "<<=": ">>=", ">>=": "<<="}
OPERATORS = [(binary(op), [new]) for op, new in SWAPS.items()]
OPERATORS += [(binary(op), new) for op, new in COMPARISONS.items()]
BOOLEANS = re.compile(r"\b(true|false)\b")
# A decimal or hexadecimal integer, not part of a name, a floating-point number or a separator.
INTEGER = re.compile(r"(?<![\w.'])(0[xX][0-9a-fA-F]+|\d+)([uUlL]*)(?![\w.'])")
# A call whose value is dropped: `name(…);`, `object.name(…);`, `ns::name(…);` alone on a line.
CALL_STATEMENT = re.compile(r"^[A-Za-z_][\w:.>\-\[\]]*\(.*\);$")
# A statement that only stores or steps a value: `x = …;`, `a.b[i] += …;`, `++n;`, `n--;`.
ASSIGNMENT = re.compile(r"^(\+\+|--)?[A-Za-z_*][\w:.>\-\[\]*]*(\s*(\+\+|--)|\s[-+*/%&|^]?=\s.*);$")
NEGATION = re.compile(r"!(?!=)")  # a logical not, dropped
STEPS = {"++": "--", "--": "++"}
JUMP = re.compile(r"^(break|continue);$")
NOT_A_CALL = re.compile(r"^(return|co_return|throw|delete|static_assert|if|while|for|switch)\b")


def code_only(text, in_comment):
    """The line with comments and literals blanked out (same length), and whether a block
    comment is still open at its end."""
    out, i = [], 0
    while i < len(text):
        if in_comment:
            end = text.find("*/", i)
            stop = len(text) if end < 0 else end + 2
            out.append(" " * (stop - i))
            i, in_comment = stop, end < 0
        elif text.startswith("//", i):
            out.append(" " * (len(text) - i))
            break
        elif text.startswith("/*", i):
            in_comment = True
        elif text[i] in "\"'" and not (text[i] == "'" and i > 0 and text[i - 1].isalnum()):
            quote, j = text[i], i + 1
            while j < len(text) and text[j] != quote:
                j += 2 if text[j] == "\\" else 1
            out.append(quote + " " * (min(j, len(text)) - i - 1) + (quote if j < len(text) else ""))
            i = j + 1
        else:
            out.append(text[i])
            i += 1
    return "".join(out), in_comment


def candidates_of_line(line, code):
    """Every faulty version of `line` (a string) that one operator makes; `code` is the line
    with comments and literals blanked, where the operators look."""
    stripped = code.strip()
    if not stripped or stripped.startswith("#") or stripped.startswith("static_assert"):
        return []
    faulty = []
    def put(start, end, new):
        faulty.append(line[:start] + new + line[end:])
    for pattern, news in OPERATORS:
        for m in pattern.finditer(code):
            for new in news:
                put(m.start(), m.end(), new)
    for m in BOOLEANS.finditer(code):
        put(m.start(), m.end(), "false" if m.group(1) == "true" else "true")
    for m in INTEGER.finditer(code):
        digits = m.group(1)
        value = int(digits, 16 if digits[:2].lower() == "0x" else 10)
        for new in (value + 1, value - 1):
            if new < 0:
                continue
            hexadecimal = digits[:2].lower() == "0x"
            text = f"{digits[:2]}{new:0{len(digits) - 2}X}" if hexadecimal else str(new)
            put(m.start(1), m.end(1), text)
    for m in NEGATION.finditer(code):
        put(m.start(), m.end(), "")
    for op, new in STEPS.items():
        for m in re.finditer(re.escape(op), code):
            put(m.start(), m.end(), new)
    indent = len(line) - len(line.lstrip())
    if CALL_STATEMENT.match(stripped) and not NOT_A_CALL.match(stripped):
        faulty.append(line[:indent] + "(void)0;  // call dropped")
    elif (ASSIGNMENT.match(stripped) or JUMP.match(stripped)) and not NOT_A_CALL.match(stripped):
        faulty.append(line[:indent] + "(void)0;  // statement dropped")
    return faulty


def candidates(path):
    lines = path.read_text(encoding="utf-8").split("\n")
    in_comment = False
    for number, line in enumerate(lines, start=1):
        code, in_comment = code_only(line, in_comment)
        for faulty in candidates_of_line(line, code):
            yield number, line, faulty


def sources(paths, excluded):
    found = set()
    for p in map(Path, paths):
        files = [p] if p.is_file() else p.rglob("*")
        found.update(f for f in files if f.suffix in SOURCE_SUFFIXES)
    return sorted(f for f in found if not any(str(f).startswith(e) for e in excluded))


def main():
    count, seed, paths = int(sys.argv[1]), sys.argv[2], sys.argv[3:]
    excluded = [p[1:] for p in paths if p.startswith("!")]
    files = sources([p for p in paths if not p.startswith("!")], excluded)
    pool = sorted({(str(f), n, line, faulty) for f in files for n, line, faulty in candidates(f)})
    drawn = random.Random(seed).sample(pool, min(count, len(pool)))
    # In file order, so that one file's faults follow each other and rebuild the least.
    for f, n, line, faulty in sorted(drawn, key=lambda d: (d[0], d[1], d[3])):
        print(f"{f}:{n} @@ {line.strip()} @@ {faulty.strip()}")
    print(f"{len(pool)} candidates", file=sys.stderr)


if __name__ == "__main__":
    main()
