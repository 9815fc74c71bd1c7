#!/usr/bin/env bash
# Writes the encoding fixtures of tests/content/encodings/ from the sources beside this script,
# each with the program that users have for it. Run once by hand; the build does not run it.
# Needs iconv (libc-bin), python3 and LibreOffice (libreoffice-writer-nogui, -calc-nogui).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$(dirname "$here")
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
soffice() { command soffice -env:UserInstallation="file://$profile" --headless "$@" >/dev/null 2>&1; }

# A spreadsheet's CSV export in ISO-8859-1 (filter options: ";" separator, '"' quotes, charset 12).
soffice --infilter="OpenDocument Spreadsheet Flat XML" \
  --convert-to 'csv:Text - txt - csv (StarCalc):59,34,12' --outdir "$profile" "$here/ledger.fods"
mv "$profile/ledger.csv" "$out/ledger_latin1.csv"
# A word processor's RTF: accents, a footnote, a comment, a table, a header and a footer.
soffice --infilter="OpenDocument Text Flat XML" --convert-to rtf --outdir "$out" "$here/almanac.fodt"

# Web pages in legacy code pages, with and without a declared charset.
iconv -f UTF-8 -t WINDOWS-1251 "$here/harbour_ru.html" > "$out/harbour_ru_meta.html"
iconv -f UTF-8 -t WINDOWS-1251 "$here/ferry_ru.html" > "$out/ferry_ru.html"
iconv -f UTF-8 -t SHIFT_JIS "$here/garden_ja.html" > "$out/garden_ja_meta.html"
iconv -f UTF-8 -t SHIFT_JIS "$here/station_ja.html" > "$out/station_ja.html"

# UTF-16 with a byte-order mark (iconv's UTF-16 writes one, little-endian here) and without.
iconv -f UTF-8 -t UTF-16 "$here/tides_ru.txt" > "$out/tides_ru_utf16_bom.txt"
{ printf '\xEF\xBB\xBF'; cat "$here/tides_en.txt"; } | iconv -f UTF-8 -t UTF-16BE > "$out/tides_en_utf16be_bom.txt"
iconv -f UTF-8 -t UTF-16LE "$here/tides_en.txt" > "$out/tides_en_utf16le.txt"
iconv -f UTF-8 -t UTF-16BE "$here/tides_ru.txt" > "$out/tides_ru_utf16be.txt"

# Python: UTF-32 with its mark, and XML declaring windows-1251 (ElementTree's own declaration).
python3 - "$here" "$out" <<'PY'
import sys
import xml.etree.ElementTree as ET
here, out = sys.argv[1], sys.argv[2]
with open(f"{here}/tides_ru.txt", encoding="utf-8") as source:
    text = source.read()
with open(f"{out}/tides_ru_utf32.txt", "w", encoding="utf-32") as target:
    target.write(text)
root = ET.Element("catalogue")
for title, place in (("Лоция северных проливов", "Архангельск"), ("Справочник смотрителя", "Мурманск")):
    book = ET.SubElement(root, "book")
    ET.SubElement(book, "title").text = title
    ET.SubElement(book, "place").text = place
ET.ElementTree(root).write(f"{out}/catalogue_ru.xml", encoding="windows-1251", xml_declaration=True)
PY
