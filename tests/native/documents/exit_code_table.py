#!/usr/bin/env python3
"""The exit codes that the documents and the package-manager manifest list
are the ones app/results.h defines: every table and list names each code of
the header, and no other, and a code's byte (as Wine and many deployment
tools report it) is its value modulo 256.

    exit_code_table.py [SOURCE_DIR]
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parents[3])

# The manifest's answers to a code, and the header's code each stands for.
MANIFEST_RESPONSES = {"rebootRequiredForInstall": "RESULT_RESTART_FIRST"}

passed = 0
failed = 0


def check(what, ok, detail=""):
    global passed, failed
    if ok:
        passed += 1
        print(f"ok   {what}")
    else:
        failed += 1
        print(f"FAIL {what}{': ' + detail if detail else ''}")


def read(relative):
    return (ROOT / relative).read_text(encoding="utf-8")


def header_codes():
    """NAME -> value, from the header's one-constant-a-line definitions."""
    codes = {}
    for line in read("app/results.h").splitlines():
        if "constexpr" not in line:
            continue
        m = re.fullmatch(r"inline constexpr int32_t (\w+) = (-?\d+);\s*// \S.*", line)
        check(f"results.h: '{line.strip()[:60]}' is a code with its meaning", m is not None)
        if m:
            codes[m.group(1)] = int(m.group(2))
    check("results.h defines codes", bool(codes))
    return codes


def section(text, heading):
    """The text under `heading` (a whole line) up to the next heading."""
    m = re.search(rf"^{re.escape(heading)}\n(.*?)(?=^#|\Z)", text, re.S | re.M)
    return m.group(1) if m else ""


def table_rows(text):
    """The cells of each body row of the first Markdown table in `text`."""
    lines = [line for line in text.splitlines() if line.startswith("|")]
    return [[cell.strip() for cell in line.strip("|").split("|")] for line in lines[2:]]


def compare(what, listed, expected):
    """`listed`: the codes a document names, in its order."""
    duplicates = sorted({c for c in listed if listed.count(c) > 1})
    check(f"{what}: no code listed twice", not duplicates, f"{duplicates}")
    extra = sorted(set(listed) - expected)
    missing = sorted(expected - set(listed))
    check(f"{what}: every code, and only those", not extra and not missing,
          f"not in app/results.h: {extra}; missing: {missing}")


def main():
    names = header_codes()
    codes = set(names.values())

    deployment = read("docs/deployment.md")
    rows = table_rows(section(deployment, "## Exit codes"))
    listed = []
    for row in rows:
        ok = re.fullmatch(r"-?\d+", row[0]) is not None
        check(f"deployment.md exit codes: '{row[0]}' is a code", ok)
        if ok:
            listed.append(int(row[0]))
    compare("deployment.md exit codes", listed, codes)

    m = re.search(r"sees these\s+modulo 256: ([\d, ]+)\.", section(deployment, "## Exit codes"))
    check("deployment.md: the byte list is there", m is not None)
    if m:
        bytes_listed = [int(b) for b in m.group(1).split(",")]
        compare("deployment.md byte list", bytes_listed, {c % 256 for c in codes if c != 0})

    listed = []
    for row in table_rows(section(deployment, "### What the exit codes mean for the suite")):
        for code, byte in re.findall(r"(-?\d+) \((\d+)\)", row[1]):
            listed.append(int(code))
            check(f"deployment.md suite table: {code} is byte {byte}", int(code) % 256 == int(byte))
    compare("deployment.md suite table", listed, codes)

    running = read("docs/running.md")
    listed = []
    for row in table_rows(section(running, "### Exit codes of a hidden run")):
        ok = re.fullmatch(r"-?\d+", row[0]) is not None and re.fullmatch(r"\d+", row[1]) is not None
        check(f"running.md exit codes: '{row[0]}' is a code with its byte", ok)
        if ok:
            listed.append(int(row[0]))
            check(f"running.md exit codes: {row[0]} is {row[1]} under Wine", int(row[0]) % 256 == int(row[1]))
    compare("running.md exit codes", listed, codes)

    m = re.search(r"the exit code is the result \(([^()]*)\)", read("README.md"))
    check("README: the sentence listing the exit codes is there", m is not None)
    if m:
        compare("README exit codes", [int(c) for c in re.findall(r"(?<![\w-])-?\d+", m.group(1))], codes)

    manifest = read("packaging/winget/installer.yaml.in")
    pairs = re.findall(r"- InstallerReturnCode: (-?\d+)\n\s+ReturnResponse: (\w+)", manifest)
    check("manifest: every return code is read",
          len(pairs) == manifest.count("InstallerReturnCode:"), f"{len(pairs)} read")
    for code, response in pairs:
        name = MANIFEST_RESPONSES.get(response)
        check(f"manifest: {code} ({response}) is {name}", name in names and names[name] == int(code),
              f"app/results.h: {names.get(name)}")
    m = re.search(r"^\| `ExpectedReturnCodes` \| ([^|]*)\|", deployment, re.M)
    documented = re.findall(r"(-?\d+): `(\w+)`", m.group(1)) if m else []
    check("deployment.md: the manifest's return codes as the template has them",
          sorted(documented) == sorted(pairs), f"{documented} against {pairs}")

    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
