#!/usr/bin/python3
"""An independent reader of .docx files for the engine's tests, built on python-docx and lxml.

  read_docx.py FILE
      Prints the text of each main-text paragraph (body paragraphs, tables included, text boxes not),
      one JSON string per line, with the conventions of docx::Document::ParagraphTexts: a tab is "\\t",
      a line break "\\v", a page break "\\f", any other object U+FFFC.

  read_docx.py --check-tool DOCX_REPLACE CORPUS_DIR
      For every .docx in CORPUS_DIR (copied to a temporary folder first): picks a word of its text,
      runs DOCX_REPLACE FILE WORD [WORD] --match-case, and checks the count it prints, the paragraph texts
      afterwards, that the package still reads, and that every entry other than the main part kept its
      bytes. Exit code 0 when every file passed.
"""
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile

import docx

WORD_NS = {
    "http://schemas.openxmlformats.org/wordprocessingml/2006/main",
    "http://purl.oclc.org/ooxml/wordprocessingml/main",
}
OBJECT_NS = {
    "http://schemas.openxmlformats.org/markup-compatibility/2006",
    "http://schemas.openxmlformats.org/officeDocument/2006/math",
    "http://purl.oclc.org/ooxml/officeDocument/math",
}
BLOCK_SKIP = {"txbxContent", "del", "moveFrom", "sectPr", "sdtPr", "sdtEndPr", "tblPr", "tblGrid", "trPr",
              "tcPr", "customXmlPr"}
INLINE = {"hyperlink", "smartTag", "customXml", "sdt", "sdtContent", "fldSimple", "ins", "moveTo", "dir", "bdo"}
RUN_SKIP = {"rPr", "lastRenderedPageBreak", "delText", "instrText", "delInstrText"}
OBJECT = "\ufffc"


def split(element):
    """(namespace, local name) of an element; (None, None) for comments and processing instructions."""
    if not isinstance(element.tag, str):
        return None, None
    if element.tag.startswith("{"):
        ns, local = element.tag[1:].split("}", 1)
        return ns, local
    return "", element.tag


def run_text(run, out):
    for child in run:
        ns, local = split(child)
        if local is None:
            continue
        if ns in WORD_NS and local == "t":
            out.append(child.text or "")
        elif ns in WORD_NS and local == "tab":
            out.append("\t")
        elif ns in WORD_NS and local in RUN_SKIP:
            pass
        elif ns in WORD_NS and local == "br":
            kind = next((v for k, v in child.attrib.items() if k == "type" or k.endswith("}type")), "")
            out.append("\f" if kind == "page" else "\v")
        elif ns in WORD_NS and local == "cr":
            out.append("\v")
        else:
            out.append(OBJECT)


def inline_text(container, out):
    for child in container:
        ns, local = split(child)
        if local is None:
            continue
        if ns in WORD_NS:
            if local == "r":
                run_text(child, out)
            elif local in INLINE:
                inline_text(child, out)
            elif local == "p":
                raise ValueError("a paragraph inside a paragraph")
        elif ns in OBJECT_NS:
            out.append(OBJECT)


def block_paragraphs(container, texts):
    for child in container:
        ns, local = split(child)
        if ns not in WORD_NS:
            continue
        if local == "p":
            out = []
            inline_text(child, out)
            texts.append("".join(out))
        elif local not in BLOCK_SKIP:
            block_paragraphs(child, texts)


def paragraph_texts(path):
    document = docx.Document(path)
    root = document.element
    texts = []
    for child in root:
        ns, local = split(child)
        if ns in WORD_NS and local == "body":
            block_paragraphs(child, texts)
    return texts, document.part.partname.lstrip("/")


def pick_word(texts):
    for text in texts:
        match = re.search(r"[A-Za-z]{3,}", text)
        if match:
            return match.group(0)
    return None


def raw_entries(path):
    """Each entry's local header, data and data descriptor as stored, and its central record without
    the offset field."""
    with open(path, "rb") as f:
        data = f.read()
    entries = {}
    with zipfile.ZipFile(path) as z:
        for info in z.infolist():
            at = info.header_offset
            name_len, extra_len = struct.unpack_from("<HH", data, at + 26)
            end = at + 30 + name_len + extra_len + info.compress_size
            if info.flag_bits & 0x08:
                end += 16 if data[end:end + 4] == b"PK\x07\x08" else 12
            entries[info.filename] = (data[at:end], info.CRC, info.compress_type, info.external_attr,
                                      info.date_time, info.extra, info.comment)
    return entries


def check_file(tool, source, folder):
    path = os.path.join(folder, os.path.basename(source))
    shutil.copyfile(source, path)
    os.chmod(path, 0o644)
    texts, main_part = paragraph_texts(path)
    before = raw_entries(path)
    word = pick_word(texts)
    if word is None:
        return []  # no text to replace; opening it was the check
    replacement = "[" + word + "]"
    expected_count = sum(t.count(word) for t in texts)
    result = subprocess.run([tool, path, word, replacement, "--match-case"], capture_output=True, text=True)
    problems = []
    if result.returncode != 0 or result.stdout.strip() != str(expected_count):
        problems.append(f"tool printed {result.stdout.strip()!r} (exit {result.returncode}, "
                        f"{result.stderr.strip()!r}), expected {expected_count}")
    with zipfile.ZipFile(path) as z:
        bad = z.testzip()
        if bad is not None:
            problems.append(f"entry {bad} does not read back")
    after_texts, _ = paragraph_texts(path)
    expected = [t.replace(word, replacement) for t in texts]
    if after_texts != expected:
        problems.append(f"texts after: {after_texts!r}, expected {expected!r}")
    after = raw_entries(path)
    for name, entry in before.items():
        if name != main_part and after.get(name) != entry:
            problems.append(f"entry {name} changed")
    return problems


def check_tool(tool, corpus):
    files = sorted(f for f in os.listdir(corpus) if f.endswith(".docx"))
    if not files:
        print(f"no .docx files in {corpus}")
        return 1
    failed = 0
    with tempfile.TemporaryDirectory() as folder:
        for name in files:
            problems = check_file(tool, os.path.join(corpus, name), folder)
            print(f"{'FAIL' if problems else 'ok  '} {name}")
            for problem in problems:
                print(f"     {problem}")
            failed += bool(problems)
    print(f"{len(files) - failed} of {len(files)} documents passed")
    return 1 if failed else 0


def main(argv):
    if len(argv) == 2:
        texts, _ = paragraph_texts(argv[1])
        for text in texts:
            print(json.dumps(text))
        return 0
    if len(argv) == 4 and argv[1] == "--check-tool":
        return check_tool(argv[2], argv[3])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
