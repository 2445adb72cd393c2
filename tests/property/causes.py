# SPDX-License-Identifier: MIT
"""Root causes of check.py failures, recognised by their messages, with the area that owns each.

A failure can match several rules; a message that matches none is counted as "other". Used by
check.py for its table and by reduce_all.py to pick one reproducer per cause.
"""

import re

# (name, owner, regular expression on "KIND: ENTRY: MESSAGE")
RULES = [
    ("crash", "whoever owns the stack", r"^crash|^timeout"),
    ("entry-name-clash", "cli/package", r"^exit 1: .*already exists"),
    ("export-failed", "cli", r"^exit 1"),
    # The generator writes no control characters: an invalid token is a raw "&" from a name.
    ("raw-ampersand-from-names", "cli/package",
     r"reference to entity|not well-formed \(invalid token\)"),
    ("invalid-manifest-id", "cli/package", r"attribute \"(id|idref)\" is invalid"),
    ("empty-title", "cli/package", r"\"dc:title\" invalid|Element \"title\" must not be empty"),
    ("empty-identifier", "cli/package", r"\"dc:identifier\" invalid"),
    ("href-not-percent-encoded", "cli/package", r"RSC-020|OPF-010|\"href\" is invalid; must be a URI"),
    ("spaces-in-file-names", "cli/package", r"PKG-010"),
    ("subfolder-links", "cli/content", r"RSC-007.*: .*/css/|RSC-007.*(sub|Teil N|x&y)/"),
    ("relative-report-link", "cli (accessibility)", r"RSC-007w?: [^:]*package\.opf"),
    ("missing-resource", "content", r"RSC-007"),
    ("links-nested-in-links", "content", r"a element must not appear inside a elements"),
    ("list-without-li", "content", r"element \"(ul|ol)\" not allowed here"),
    ("unterminated-element", "content",
     r"\.xhtml: .*(mismatched tag|must be terminated by the matching end-tag)"),
    ("not-well-formed", "content", r"^not well-formed"),
    ("fragment-not-defined", "content/package", r"RSC-012"),
    ("nav-reading-order", "package", r"NAV-011"),
    ("empty-nav-anchor", "package", r"Anchors within nav elements must contain text"),
    ("href-on-wrong-element", "content", r"attribute \"href\" not allowed here"),
    ("text-lost", "content", r"^text lost"),
    ("empty-css-value", "css", r"CSS-008"),
    ("duplicate-manifest-id", "cli/package",
     r"Duplicate \"|Itemref refers to the same|RSC-008|OPF-043"),
    ("duplicate-element-id", "content", r"Duplicate ID \""),
    ("content-document-extension", "cli", r"HTM-014a"),
    ("section-label-missing", "content", r"aria-labelledby attribute must refer"),
    ("undeclared-item", "downstream of a broken package", r"OPF-003|CHECKER-000"),
]
COMPILED = [(name, owner, re.compile(rx)) for name, owner, rx in RULES]


def causes_of(failures):
    """The names of the root causes among a seed's failures."""
    found = set()
    for kind, message in failures:
        line = "%s: %s" % (kind, message)
        hit = [name for name, _, rx in COMPILED if rx.search(line)]
        found.add(hit[0] if hit else "other: %s" % kind)
    return found


def owner(name):
    return next((o for n, o, _ in RULES if n == name), "?")
