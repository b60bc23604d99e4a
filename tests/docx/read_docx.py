#!/usr/bin/python3
"""Reads a .docx made by the converter: every part must be well-formed XML
and the package must open in python-docx. Prints the text of every paragraph
of the body (framed paragraphs and text boxes included), one a line, a tab
as a tab."""
import sys
import zipfile
import xml.dom.minidom

import docx
from docx.oxml.ns import qn


def main(path):
    with zipfile.ZipFile(path) as package:
        bad = package.testzip()
        if bad:
            print("bad entry:", bad)
            return 2
        for name in package.namelist():
            if name.endswith(".xml") or name.endswith(".rels"):
                xml.dom.minidom.parseString(package.read(name))
    document = docx.Document(path)
    for paragraph in document.element.body.iter(qn("w:p")):
        # The paragraph's own text: a text box anchored in it has paragraphs of its own.
        texts = [(t.text or "") if t.tag == qn("w:t") else "\t"
                 for t in paragraph.iter(qn("w:t"), qn("w:tab"))
                 if t.getparent().tag == qn("w:r") and next(t.iterancestors(qn("w:p"))) is paragraph]
        if any(texts):
            print("".join(texts))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
