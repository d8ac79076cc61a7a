"""Generates benchmark documents and their pairs with python-docx (run with /usr/bin/python3).

    make_documents.py FOLDER DOCUMENTS PAIRS [PARAGRAPHS=120]

Writes FOLDER/docs/doc0000.docx ... (a few pages each: Chinese and Latin text, a table, every find text
present several times, some matches split across runs of different formatting) and FOLDER/pairs.txt
(UTF-8: the texts to be replaced, one a line, a line "----", the replacement texts). No replacement text
contains a find text, so a finished run leaves no find text behind.
"""
import os
import shutil
import sys

import docx

VARIANTS = 8  # distinct documents; the rest are copies of them


def pairs(count):
    finds, replacements = [], []
    for k in range(count):
        if k % 2 == 0:
            finds.append(f"甲方{k:03d}号")
            replacements.append(f"乙方{k:03d}名")
        else:
            finds.append(f"Ref-{k:03d}")
            replacements.append(f"REF_{k:03d} (new)")
    return finds, replacements


def document(finds, variant, paragraphs):
    d = docx.Document()
    d.add_heading(f"合同 Contract {variant}", level=1)
    for i in range(paragraphs):
        f = finds[(i + variant) % len(finds)]
        p = d.add_paragraph(f"第{i}段：合同编号 HT-{variant}{i:04d} 由 {f} 与 Example Ltd. 于 2026年1月{i % 28 + 1}日 签订，")
        # The same kind of text again, cut in two runs of different formatting.
        g = finds[(i * 7 + variant) % len(finds)]
        cut = max(1, len(g) // 2)
        p.add_run(g[:cut])
        p.add_run(g[cut:]).bold = True
        p.add_run(f" 金额 {i * 1000 + variant} 元。Lorem ipsum dolor sit amet, consectetur adipiscing elit {i}.")
        if i % 40 == 20:
            table = d.add_table(rows=3, cols=3)
            for r in range(3):
                for c in range(3):
                    table.cell(r, c).text = f"{finds[(r * 3 + c + i) % len(finds)]} 单元 {r}{c}"
    return d


def main():
    folder, count, npairs = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    paragraphs = int(sys.argv[4]) if len(sys.argv) > 4 else 120
    finds, replacements = pairs(npairs)
    os.makedirs(os.path.join(folder, "docs"), exist_ok=True)
    variants = []
    for v in range(min(VARIANTS, count)):
        path = os.path.join(folder, f"variant{v}.docx")
        document(finds, v, paragraphs).save(path)
        variants.append(path)
    for i in range(count):
        shutil.copyfile(variants[i % len(variants)], os.path.join(folder, "docs", f"doc{i:04d}.docx"))
    with open(os.path.join(folder, "pairs.txt"), "w", encoding="utf-8", newline="") as f:
        f.write("\r\n".join(finds) + "\n----\n" + "\r\n".join(replacements))


if __name__ == "__main__":
    main()
