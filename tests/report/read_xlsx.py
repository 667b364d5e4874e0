"""Reads a workbook back for the report tests and prints what it holds as JSON."""
import json
import re
import sys
import zipfile

import openpyxl


def color(c):
    if c is None or c.type != "rgb" or c.rgb in (None, "00000000"):
        return None
    return c.rgb[-6:]


def main(path):
    wb = openpyxl.load_workbook(path)
    out = {"sheets": []}
    for ws in wb.worksheets:
        sheet = {
            "name": ws.title,
            "cells": {},
            "merges": sorted(str(r) for r in ws.merged_cells.ranges),
            "widths": {k: v.width for k, v in ws.column_dimensions.items() if v.customWidth},
            "heights": {str(k): v.height for k, v in ws.row_dimensions.items() if v.height is not None},
            "breaks": [b.id for b in ws.row_breaks.brk],
            "fitToPage": bool(ws.sheet_properties.pageSetUpPr and ws.sheet_properties.pageSetUpPr.fitToPage),
            "fitToHeight": ws.page_setup.fitToHeight,
        }
        for row in ws.iter_rows():
            for cell in row:
                fill = cell.fill.fgColor if cell.fill is not None and cell.fill.fill_type == "solid" else None
                b = cell.border
                entry = {
                    "value": cell.value,
                    "type": cell.data_type,
                    "fill": color(fill) if fill is not None else None,
                    "bold": bool(cell.font.b),
                    "italic": bool(cell.font.i),
                    "underline": cell.font.u,
                    "font": cell.font.name,
                    "size": cell.font.sz,
                    "fontColor": color(cell.font.color) if cell.font.color is not None else None,
                    "halign": cell.alignment.horizontal,
                    "valign": cell.alignment.vertical,
                    "shrink": bool(cell.alignment.shrink_to_fit),
                    "borders": {s: getattr(b, s).style for s in ("left", "top", "right", "bottom")
                                if getattr(b, s) is not None and getattr(b, s).style},
                    "borderColors": {s: color(getattr(b, s).color) for s in ("left", "top", "right", "bottom")
                                     if getattr(b, s) is not None and getattr(b, s).color is not None},
                }
                if entry["value"] is None and not any(
                        (entry["fill"], entry["bold"], entry["italic"], entry["underline"], entry["halign"],
                         entry["valign"], entry["shrink"], entry["borders"])):
                    continue
                sheet["cells"][cell.coordinate] = entry
        out["sheets"].append(sheet)
    # Pictures straight from the package (openpyxl drops them without an imaging library).
    with zipfile.ZipFile(path) as z:
        out["media"] = sorted(n for n in z.namelist() if n.startswith("xl/media/"))
        out["anchors"] = []
        for name in sorted(n for n in z.namelist() if re.match(r"xl/drawings/drawing\d+\.xml$", n)):
            xml = z.read(name).decode("utf-8")
            for col, row in re.findall(r"<xdr:from><xdr:col>(\d+)</xdr:col>.*?<xdr:row>(\d+)</xdr:row>", xml):
                out["anchors"].append({"col": int(col), "row": int(row)})
    json.dump(out, sys.stdout)


if __name__ == "__main__":
    main(sys.argv[1])
