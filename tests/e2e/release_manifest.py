#!/usr/bin/env python3
"""The package-manager manifest that a Release build writes: each of its three
files passes its schema (the copy in packaging/winget/schema-1.10.0), the
three describe the same package, and InstallerSha256 is the hash of the
program as it lies in the build, that is after signing.

    release_manifest.py MANIFEST_DIR PROGRAM [--url EXPECTED_INSTALLER_URL]
"""
import argparse
import hashlib
import json
import pathlib
import sys

import jsonschema
import yaml

SCHEMA_DIR = pathlib.Path(__file__).resolve().parents[2] / "packaging" / "winget" / "schema-1.10.0"
PACKAGE_ID = "Kelvane.Brevik"
FILES = {  # manifest type: file name
    "version": f"{PACKAGE_ID}.yaml",
    "installer": f"{PACKAGE_ID}.installer.yaml",
    "defaultLocale": f"{PACKAGE_ID}.locale.en-US.yaml",
}

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


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("manifest_dir", type=pathlib.Path)
    parser.add_argument("program", type=pathlib.Path)
    parser.add_argument("--url")
    args = parser.parse_args()

    manifests = {}
    for kind, name in FILES.items():
        path = args.manifest_dir / name
        try:
            manifests[kind] = yaml.safe_load(path.read_text(encoding="utf-8"))
        except (OSError, yaml.YAMLError) as error:
            check(f"{name} reads as YAML", False, str(error))
            continue
        schema = json.loads((SCHEMA_DIR / f"manifest.{kind}.1.10.0.json").read_text(encoding="utf-8"))
        errors = [e.message for e in jsonschema.Draft7Validator(schema).iter_errors(manifests[kind])]
        check(f"{name} passes the {kind} schema 1.10.0", not errors, "; ".join(errors))
    if len(manifests) != len(FILES):
        return

    check("the three files name one package and version",
          len({(m.get("PackageIdentifier"), m.get("PackageVersion")) for m in manifests.values()}) == 1)
    check("the default locale is the locale file's",
          manifests["version"].get("DefaultLocale") == manifests["defaultLocale"].get("PackageLocale"))

    installers = manifests["installer"].get("Installers") or [{}]
    digest = hashlib.sha256(args.program.read_bytes()).hexdigest()
    check(f"InstallerSha256 is the hash of {args.program.name} as built",
          str(installers[0].get("InstallerSha256", "")).lower() == digest,
          f"{installers[0].get('InstallerSha256')} != {digest}")
    if args.url is not None:
        check("InstallerUrl is BREVIK_INSTALLER_URL", installers[0].get("InstallerUrl") == args.url,
              str(installers[0].get("InstallerUrl")))


main()
print(f"{passed} passed, {failed} failed")
sys.exit(1 if failed or not passed else 0)
