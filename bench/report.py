#!/usr/bin/env python3
"""Turns one `make bench` run into the table on the console and docs/BENCHMARKS.md.

Inputs: the results file the bench programs and scripts/bench wrote (tab-separated lines
"MEASURE key median min max unit runs", "NOTE key text", "MACHINE key value"), and the shipped exe
and the baseline with their linker maps, from which the size figures are read here.

    report.py --results FILE --exe EXE --map MAP --baseline EXE --baseline-map MAP --out MD

Standard library only.
"""

import argparse
import collections
import os
import re
import struct
import sys

KB = 1024
CODE_OVERHEAD_LIMIT = 128 * KB
STARTUP_RATIO_LIMIT = 1.2
MEMORY_HEADROOM_MB = 2.0
EXTRACT_RATIO_LIMIT = 1.5
DOWNLOAD_RATIO_LIMIT = 0.9
DOWNLOAD_SIBLINGS = (("Bench1M", "1 MB"), ("Bench50M", "50 MB"))
TOP_MEMBERS = 15

# What an archive member of the link is there for; the first pattern that matches names it.
CONTRIBUTOR_GROUPS = (
    ("our code", r"libsetupcore\.a|objects\.a\((main|lean_runtime|baseline)\.cpp"),
    ("C++ demangler (verbose terminate handler)", r"cp-demangle\.o|vterminate\.o"),
    ("std::string and the exceptions it may throw",
     r"string-inst\.o|cow-stdexcept\.o|stdexcept\.o|functexcept\.o|sso_string\.o|random\.o|snprintf_lite\.o"
     r"|bad_\w+\.o|rand_s"),
    ("exception runtime, unwinder and type information",
     r"eh_\w+\.o|libgcc_eh\.a|class_type_info\.o|tinfo\.o|new_\w+\.o|del_\w+\.o"),
    ("winpthread (the -posix thread model)", r"libpthread\.a|libwinpthread"),
    ("mingw printf (vsnprintf with the C99 formatter)",
     r"mingw_pformat|gdtoa|dmisc|gmisc|libmingwex_a-misc|mingw_vsn?printf|wcrtomb|mbrtowc|wcsnlen"),
    ("C runtime start-up", r"crt2\.o|crtbegin|crtend|libmingw32\.a|libmsvcrt|libmingwex|libgcc\.a"),
    ("import tables, delay-load helper and relocations",
     r"lib(kernel32|user32|gdi32|comctl32|shell32|advapi32|wininet|psapi)(_delay)?\.a|dll stuff|delayimp"),
)


def parse_results(path):
    measures, notes, machine = {}, [], collections.OrderedDict()
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            fields = line.rstrip("\n").split("\t")
            if fields[0] == "MEASURE" and len(fields) == 7:
                key, median, low, high, unit, runs = fields[1:]
                measures[key] = {"median": float(median), "min": float(low), "max": float(high), "unit": unit,
                                 "runs": int(runs)}
            elif fields[0] == "NOTE" and len(fields) >= 3:
                notes.append((fields[1], "\t".join(fields[2:])))
            elif fields[0] == "MACHINE" and len(fields) >= 3:
                machine[fields[1]] = "\t".join(fields[2:])
    return measures, notes, machine


def pe_sections(path, with_content=False):
    """(name, raw size in the file) of every section of a PE file; with_content adds the bytes the
    section really holds, the rest of its raw size being alignment padding."""
    with open(path, "rb") as f:
        data = f.read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("%s is not a PE file" % path)
    count = struct.unpack_from("<H", data, pe + 6)[0]
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    table = pe + 24 + optional_size
    sections = []
    for i in range(count):
        raw = data[table + 40 * i:table + 40 * (i + 1)]
        name = raw[:8].rstrip(b"\0").decode("ascii", "replace")
        raw_size, content = struct.unpack_from("<I", raw, 16)[0], struct.unpack_from("<I", raw, 8)[0]
        sections.append((name, raw_size, min(raw_size, content)) if with_content else (name, raw_size))
    return sections


def map_members(path, sections):
    """Bytes per archive member in the file's sections, from a GNU ld map."""
    wanted = {name[:8] for name, raw in sections if raw}
    sizes = collections.Counter()
    output_section = None
    pending = None
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            top = re.match(r"^(\.[\w$]+)\s+0x[0-9a-f]+\s+0x[0-9a-f]+", line) or re.match(r"^(\.[\w$]+)$", line)
            if top:
                output_section = top.group(1)[:8]
                continue
            entry = re.match(r"^ (\S+)\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$", line)
            if entry:
                size, member = int(entry.group(2), 16), entry.group(3)
            else:
                wrapped = re.match(r"^\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$", line)
                if not (wrapped and pending):
                    pending = re.match(r"^ (\S+)$", line)
                    continue
                size, member = int(wrapped.group(1), 16), wrapped.group(2)
            pending = None
            if output_section in wanted and output_section != ".rsrc" and size:
                sizes[os.path.basename(member)] += size
    return sizes


def group_of(member):
    for name, pattern in CONTRIBUTOR_GROUPS:
        if re.search(pattern, member):
            return name
    return "other"


def size_figures(exe, exe_map, baseline, baseline_map):
    sections = pe_sections(exe)
    rsrc = sum(raw for name, raw in sections if name == ".rsrc")
    total = os.path.getsize(exe)
    members = map_members(exe_map, sections)
    groups = collections.Counter()
    for member, size in members.items():
        groups[group_of(member)] += size
    padding = sum(raw - content for name, raw, content in pe_sections(exe, True) if name != ".rsrc")
    return {
        "exe": total, "rsrc": rsrc, "code": total - rsrc, "padding": padding, "sections": sections,
        "members": members, "groups": groups,
        "baseline": os.path.getsize(baseline), "baseline_sections": pe_sections(baseline),
        "baseline_members": map_members(baseline_map, pe_sections(baseline)),
    }


def span(m):
    if m["unit"] == "MB/s":
        return "%.1f (%.1f-%.1f) %s" % (m["median"], m["min"], m["max"], m["unit"])
    if m["unit"] == "MB":
        return "%.2f (%.2f-%.2f) %s" % (m["median"], m["min"], m["max"], m["unit"])
    return "%.0f (%.0f-%.0f) %s" % (m["median"], m["min"], m["max"], m["unit"])


def budget_rows(measures, sizes):
    """Figure, ours, reference, comparison, limit, verdict; a missing figure says so."""
    rows = []

    def ratio_row(figure, ours_key, reference_key, ratio_key, limit, at_most):
        """The verdict rests on the median of the ratios of runs taken back to back, which a busy
        machine disturbs less than the ratio of the two medians; both are shown."""
        ours, reference, paired = measures.get(ours_key), measures.get(reference_key), measures.get(ratio_key)
        limit_text = ("<= %.1fx" if at_most else ">= %.1fx") % limit
        if not ours or not reference or not paired:
            rows.append((figure, "not measured", "", "", limit_text, "-"))
            return
        ratio = paired["median"]
        comparison = "%.2fx (pairs %.2f-%.2f)" % (ratio, paired["min"], paired["max"])
        holds = ratio <= limit if at_most else ratio >= limit
        rows.append((figure, span(ours), span(reference), comparison, limit_text, "holds" if holds else "FAILS"))

    ratio_row("Start-up to the first page (setup / baseline)", "startup.setup", "startup.baseline", "startup.ratio",
              STARTUP_RATIO_LIMIT, True)
    ours, reference = measures.get("memory.welcome"), measures.get("memory.baseline")
    if ours and reference:
        delta = ours["median"] - reference["median"]
        rows.append(("Peak working set, welcome page (setup / baseline)", span(ours), span(reference),
                     "%+.2f MB" % delta, "<= +%.0f MB" % MEMORY_HEADROOM_MB,
                     "holds" if delta <= MEMORY_HEADROOM_MB else "FAILS"))
    else:
        rows.append(("Peak working set, welcome page", "not measured", "", "", "<= +2 MB", "-"))
    if sizes:
        rows.append(("Code overhead of the shipped exe (exe minus .rsrc)", "%d bytes (%.1f KB)" % (
            sizes["code"], sizes["code"] / KB), "baseline exe %d bytes" % sizes["baseline"],
            "%.2fx of limit" % (sizes["code"] / CODE_OVERHEAD_LIMIT), "<= 128 KB",
            "holds" if sizes["code"] <= CODE_OVERHEAD_LIMIT else "FAILS"))
    ratio_row("Extraction of the four setup files (setup / CopyFileA)", "extract.setup", "extract.copy",
              "extract.ratio", EXTRACT_RATIO_LIMIT, True)
    for name, label in DOWNLOAD_SIBLINGS:
        ratio_row("Download, %s sibling (setup / minimal reader)" % label, "download.%s.setup" % name,
                  "download.%s.minimal" % name, "download.%s.ratio" % name, DOWNLOAD_RATIO_LIMIT, False)
    return rows


def figure_rows(measures):
    labels = {
        "startup.setup": "Start-up, setup", "startup.baseline": "Start-up, baseline",
        "memory.welcome": "Peak working set, setup on the welcome page",
        "memory.baseline": "Peak working set, baseline",
        "memory.completion.siblings0": "Peak working set, setup on the completion page (no sibling)",
        "memory.completion.siblings4": "Peak working set, setup on the completion page (four siblings)",
        "extract.setup": "Extraction, WriteSetupFiles", "extract.copy": "Extraction, CopyFileA of the same bytes",
        "install.siblings0": "Whole installation, no sibling", "install.siblings4": "Whole installation, four siblings",
        "startup.ratio": "Start-up, setup / baseline, pair by pair",
        "extract.ratio": "Extraction, WriteSetupFiles / CopyFileA, pair by pair",
        "extract.quiet.setup": "Extraction, WriteSetupFiles with no page to report to",
        "extract.quiet.ratio": "Extraction with no page to report to / CopyFileA, pair by pair",
    }
    for name, label in DOWNLOAD_SIBLINGS:
        labels["download.%s.setup" % name] = "Download %s, OpenInternet + DownloadProducts" % label
        labels["download.%s.minimal" % name] = "Download %s, minimal WinINet reader" % label
        labels["download.%s.ratio" % name] = "Download %s, setup / minimal reader speed, pair by pair" % label
        labels["download.%s.quiet.ratio" % name] = (
            "Download %s with no page to report to / minimal reader speed, pair by pair" % label)
    return [(labels.get(key, key), "%.3f" % m["median"], "%.3f" % m["min"], "%.3f" % m["max"], m["unit"],
             str(m["runs"])) for key, m in measures.items()]


def markdown_table(header, rows):
    lines = ["| " + " | ".join(header) + " |", "|" + "|".join("---" for _ in header) + "|"]
    lines += ["| " + " | ".join(cell.replace("|", "\\|") for cell in row) + " |" for row in rows]
    return "\n".join(lines)


def console_table(header, rows):
    widths = [max(len(str(r[i])) for r in [header] + rows) for i in range(len(header))]
    out = ["  ".join(str(c).ljust(w) for c, w in zip(header, widths))]
    out.append("  ".join("-" * w for w in widths))
    out += ["  ".join(str(c).ljust(w) for c, w in zip(row, widths)) for row in rows]
    return "\n".join(out)


def size_section(sizes):
    baseline = dict(sizes["baseline_sections"])
    section_rows = [(name, str(raw), str(baseline.get(name, 0))) for name, raw in sizes["sections"]]
    section_rows += [(n, "0", str(r)) for n, r in sizes["baseline_sections"] if n not in dict(sizes["sections"])]
    group_rows = [(name, str(size), "%.1f" % (size / KB)) for name, size in sizes["groups"].most_common()]
    member_rows = [(member, str(size)) for member, size in sizes["members"].most_common(TOP_MEMBERS)]
    return "\n\n".join([
        "Shipped exe (i686, stripped): %d bytes; resources (.rsrc) %d bytes; code overhead %d bytes (%.1f KB), "
        "of which %d bytes are section padding to the file alignment. Baseline exe: %d bytes."
        % (sizes["exe"], sizes["rsrc"], sizes["code"], sizes["code"] / KB, sizes["padding"], sizes["baseline"]),
        "Bytes in the file per section:",
        markdown_table(("Section", "Setup", "Baseline"), section_rows),
        "What the code overhead is made of (from the linker map; sections other than .rsrc, before file alignment):",
        markdown_table(("Contributor", "Bytes", "KB"), group_rows),
        "The biggest archive members:",
        markdown_table(("Member", "Bytes"), member_rows),
    ])


def write_markdown(path, machine, budgets, figures, sizes, notes, commentary):
    parts = [
        "# Benchmarks",
        "Written by `make bench` (scripts/bench, bench/report.py); do not edit by hand. Each figure is the "
        "median with the minimum and maximum in brackets, of %s warm runs after two unmeasured ones, taken "
        "under Wine on the machine below in one run. The x64 build runs under wine64; sizes are those of the "
        "shipped i686 exe." % machine.get("runs", "?"),
        "## Machine",
        "\n".join("- %s: %s" % (key, value) for key, value in machine.items() if key != "runs"),
        "## Budgets",
        markdown_table(("Figure", "Ours", "Reference", "Comparison", "Limit", "Verdict"), budgets),
        "## All figures",
        markdown_table(("Figure", "Median", "Min", "Max", "Unit", "Runs"), figures),
    ]
    if sizes:
        parts += ["## Size", size_section(sizes)]
    if notes:
        parts += ["## What the runs reported", "\n".join("- %s: %s" % note for note in notes)]
    if commentary:
        parts += [commentary.strip()]
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n\n".join(parts) + "\n")


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--results", required=True)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--map", required=True)
    parser.add_argument("--baseline", required=True)
    parser.add_argument("--baseline-map", required=True)
    parser.add_argument("--commentary", help="hand-written findings appended to the document")
    parser.add_argument("--out", required=True)
    args = parser.parse_args(argv)

    measures, notes, machine = parse_results(args.results)
    sizes = size_figures(args.exe, args.map, args.baseline, args.baseline_map)
    budgets = budget_rows(measures, sizes)
    figures = figure_rows(measures)
    commentary = ""
    if args.commentary and os.path.exists(args.commentary):
        with open(args.commentary, encoding="utf-8") as f:
            commentary = f.read()

    print(console_table(("Figure", "Ours", "Reference", "Comparison", "Limit", "Verdict"), budgets))
    print()
    print(console_table(("Figure", "Median", "Min", "Max", "Unit", "Runs"), figures))
    for key, text in notes:
        print("note: %s: %s" % (key, text))
    write_markdown(args.out, machine, budgets, figures, sizes, notes, commentary)
    print("\nwritten: %s" % args.out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
