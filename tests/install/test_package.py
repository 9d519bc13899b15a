"""The Debian package: scripts/package, run in two copies of the repository at different paths, makes the same
bytes twice; the package's control fields and file list, its link to the system's font, its symbols package,
the hardening of the program and lintian's verdict on both packages are checked; and the launcher of an unpacked copy starts the
game, which keeps its files in the player's folder. The documents' and the metadata's contents are the
installed tree's, checked by test_install.py. The arm64 package (scripts/package --arch arm64) is checked the
same way but for the start, which the arm64 build's real-window case makes under qemu (test_arm64.py): its
program is an aarch64 one, and its Depends are worked out from Debian's arm64 libraries."""

import hashlib
import os
import re
import subprocess
import tempfile

import installed
from installed import REPO, copy_of_repository, digest, harness, one
from harness import tool

SYSTEM_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"


def package_twice(tmp, options=()):
    """Runs scripts/package (with `options`) in two copies at different depths at the same time; returns the
    first one's .deb and -dbgsym .ddeb."""
    builds = []
    for copy in (os.path.join(tmp, "a", "quarrow"), os.path.join(tmp, "b", "other", "place")):
        copy_of_repository(copy)
        out = copy + "-out"
        proc = subprocess.Popen([os.path.join(copy, "scripts", "package"), *options, out], stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        builds.append((proc, out))
    outputs = []
    for proc, out in builds:
        log = proc.communicate(timeout=800)[0].decode(errors="replace")
        assert proc.returncode == 0, f"scripts/package failed ({proc.returncode}):\n{log[-3000:]}"
        outputs.append({name: digest(os.path.join(out, name)) for name in sorted(os.listdir(out))})
    assert outputs[0] == outputs[1], f"two builds of one commit differ: {outputs}"
    first = builds[0][1]
    return one(os.path.join(first, "quarrow_*.deb")), one(os.path.join(first, "quarrow-dbgsym_*.ddeb"))


def expected_files():
    """Every file the package must hold, from the repository's assets and icons."""
    files = {f"./usr/{rel}" for rel in (installed.LAUNCHER, installed.GAME, installed.DESKTOP, installed.MANUAL,
                                         installed.METAINFO)}
    files |= {f"./usr/{installed.DOC}/{name}" for name in ("copyright", "changelog.gz", "README.md",
                                                                "docs/players.md")}
    files |= {f"./usr/{installed.ASSETS}/{name}" for name in os.listdir(os.path.join(REPO, "Resources", "Assets"))}
    for icon in os.listdir(os.path.join(REPO, "packaging", "icons")):
        if not icon.endswith(".png"):  # the Windows program's and installer's
            continue
        size = re.fullmatch(r"quarrow-(\d+)\.png", icon).group(1)
        files.add(f"./usr/share/icons/hicolor/{size}x{size}/apps/quarrow.png")
    return files


def check_control(deb, arch):
    fields = {name: tool("dpkg-deb", "-f", deb, name).strip() for name in
              ("Package", "Version", "Architecture", "Maintainer", "Section", "Depends", "Description")}
    assert fields["Package"] == "quarrow" and fields["Section"] == "games", fields
    assert re.fullmatch(r"\d+\.\d+\.\d+", fields["Version"]) and fields["Architecture"] == arch, fields
    assert os.path.basename(deb) == f"quarrow_{fields['Version']}_{fields['Architecture']}.deb", deb
    assert re.fullmatch(r"[^<>]+ <[^@<>\s]+@[^@<>\s]+>", fields["Maintainer"]), fields["Maintainer"]
    summary, _, body = fields["Description"].partition("\n")
    assert summary and body.strip(), f"Description needs a summary and a body: {fields['Description']!r}"
    depends = {alt.split()[0] for dep in fields["Depends"].split(",") for alt in dep.split("|")}
    for runtime in ("libsdl2-2.0-0", "libsdl2-ttf-2.0-0", "fonts-dejavu-core"):
        assert runtime in depends, f"Depends does not name {runtime}: {fields['Depends']}"
    return fields["Version"]


def check_listing(deb):
    """./usr/... only, owned by root, programs 755 and data 644, exactly the expected files; the font a link to
    the system's copy, which fonts-dejavu-core installs."""
    listing, links = {}, {}
    for line in tool("dpkg-deb", "-c", deb).splitlines():
        mode, owner, _size, _date, _time, path = line.split(None, 5)
        assert owner == "root/root" and path.startswith("./usr/"), line
        if mode.startswith("l"):
            path, _, links[path] = path.partition(" -> ")
        if not mode.startswith("d"):
            listing[path] = mode
    missing, unexpected = sorted(expected_files() - set(listing)), sorted(set(listing) - expected_files())
    assert not missing and not unexpected, f"missing {missing}, unexpected {unexpected}"
    font = f"./usr/{installed.ASSETS}/DejaVuSans.ttf"
    assert set(links) == {font}, f"links in the package: {links}"
    target = os.path.normpath(os.path.join(os.path.dirname(font[1:]), links[font]))
    assert not links[font].startswith("/") and target == SYSTEM_FONT, f"the font links to {links[font]}"
    assert tool("dpkg", "-S", SYSTEM_FONT).split(":")[0] == "fonts-dejavu-core", f"{SYSTEM_FONT} is not Debian's"
    programs = {f"./usr/{installed.LAUNCHER}", f"./usr/{installed.GAME}"}
    for path, mode in listing.items():
        expected = "lrwxrwxrwx" if path in links else "-rwxr-xr-x" if path in programs else "-rw-r--r--"
        assert mode == expected, f"{path} has mode {mode}"


def check_program(game, symbols, machine):
    """A program for `machine` (as readelf names it) with the distribution's hardening, as hardening-check sees
    it. On x86, control-flow protection is looked for in the game's own code, at `main` as the symbols place it:
    Debian 12's C start files carry no such mark, so no program linked with them has it as a whole."""
    header = tool("readelf", "-h", game)
    assert re.search(rf"^\s*Machine:\s*{machine}$", header, re.M), f"{game} is not for {machine}:\n{header}"
    report = tool("hardening-check", "--nocfprotection", game, timeout=120)
    for feature in ("Position Independent Executable", "Stack protected", "Fortify Source functions",
                    "Read-only relocations", "Immediate binding"):
        assert re.search(rf"{feature}: yes", report), f"hardening-check:\n{report}"
    assert ".comment" not in tool("readelf", "-S", game), f"{game} keeps a .comment section"
    if "X86-64" not in machine:
        return
    start = int(re.search(r"^([0-9a-f]+) T main$", tool("nm", symbols, timeout=120), re.M).group(1), 16)
    code = tool("objdump", "-d", "--no-show-raw-insn", f"--start-address={start:#x}", f"--stop-address={start + 4:#x}",
                game, timeout=120)
    assert re.search(rf"^\s*{start:x}:\s*endbr64", code, re.M), f"main does not start with endbr64:\n{code}"


def check_symbols(ddeb, version, game):
    """The -dbgsym package holds the game's symbols under its build id, with md5sums dpkg can check; returns
    the symbols' file."""
    assert tool("dpkg-deb", "-f", ddeb, "Package").strip() == "quarrow-dbgsym"
    assert tool("dpkg-deb", "-f", ddeb, "Depends").strip() == f"quarrow (= {version})"
    build_id = re.search(r"Build ID: ([0-9a-f]+)", tool("readelf", "-n", game)).group(1)
    root = ddeb + ".root"
    tool("dpkg-deb", "-x", ddeb, root)
    symbols = os.path.join(root, "usr/lib/debug/.build-id", build_id[:2], build_id[2:] + ".debug")
    assert os.path.isfile(symbols), f"no symbols for build id {build_id} in {ddeb}"
    assert "main" in tool("nm", symbols, timeout=120).split(), f"{symbols} holds no symbol named main"
    sums = tool("dpkg-deb", "-I", ddeb, "md5sums").splitlines()
    for line in sums:
        digest_hex, name = line.split("  ", 1)
        assert hashlib.md5(harness.read_file(os.path.join(root, name))).hexdigest() == digest_hex, f"md5sums: {line}"
    assert len(sums) == 1, f"md5sums of {ddeb}: {sums}"
    return symbols


def check_lintian(deb):
    out = tool("lintian", "-EvIL", "+pedantic", "--tag-display-limit", "0", deb, timeout=300)
    bad = [line for line in out.splitlines() if re.match(r"[EW]: ", line)]
    assert not bad, "lintian:\n" + "\n".join(bad)


def check_package(tmp, arch, machine, options=()):
    """Makes the package twice and checks it; returns the root it is unpacked in."""
    deb, ddeb = package_twice(tmp, options)
    version = check_control(deb, arch)
    check_listing(deb)
    check_lintian(deb)
    check_lintian(ddeb)
    root_dir = os.path.join(tmp, "root")
    tool("dpkg-deb", "-x", deb, root_dir)
    game = os.path.join(root_dir, "usr", installed.GAME)
    check_program(game, check_symbols(ddeb, version, game), machine)
    return root_dir


def package_builds_installs_and_runs():
    with tempfile.TemporaryDirectory(prefix="quarrow-package-", ignore_cleanup_errors=True) as tmp:
        root_dir = check_package(tmp, tool("dpkg", "--print-architecture").strip(), "Advanced Micro Devices X86-64")

        # With the font where fonts-dejavu-core puts it, in the same root.
        font_home = os.path.join(root_dir, os.path.dirname(SYSTEM_FONT)[1:])
        os.makedirs(font_home)
        os.symlink(SYSTEM_FONT, os.path.join(font_home, os.path.basename(SYSTEM_FONT)))

        xdg, cwd = os.path.join(tmp, "xdg"), os.path.join(tmp, "cwd")
        os.makedirs(cwd)
        with harness.Display() as display:
            launcher = os.path.join(root_dir, "usr", installed.LAUNCHER)
            installed.play_once(display, launcher, cwd, {"HOME": os.path.join(tmp, "home"), "XDG_DATA_HOME": xdg})
        installed.check_user_folder(os.path.join(xdg, "quarrow"), os.path.join(root_dir, "usr"),
                                    installed.DEFAULT_SETTINGS)


def arm64_package_builds():
    with tempfile.TemporaryDirectory(prefix="quarrow-package-arm64-", ignore_cleanup_errors=True) as tmp:
        check_package(tmp, "arm64", "AArch64", ["--arch", "arm64"])


harness.arguments("")
harness.run_cases([package_builds_installs_and_runs, arm64_package_builds])
