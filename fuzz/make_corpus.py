#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets: fuzz/corpus/hex_to_text/ and
fuzz/corpus/text_to_hex/, one small file per seed, named after what it holds.

Run it again after changing a seed below; it rewrites both folders from this list.
"""
import pathlib
import shutil

HEX_TO_TEXT = {
    "listing_abc": b"41 42 43 ",
    "listing_no_trailing_space": b"41 42 43",
    "double_space": b"41  42",
    "lone_space": b" ",
    "leading_space": b" 41",
    "trailing_spaces": b"41   ",
    "zero_group_in_middle": b"41 00 42",
    "split_digits": b"4 1",
    "crlf_inside_group": b"41\r\n42",
    "space_then_crlf": b"41 \r\n42",
    "tab_separated": b"41\t42\t43",
    "not_hex": b"zz",
    "c_prefix": b"0x41",
    "lower_case": b"4a 4b 6f ",
    "lower_case_mixed": b"aB Cd ef ",
    "long_groups": b"414243 4 ",
    "lead_byte_then_letter": b"\xB0a",
    "letter_then_lead_byte": b"a\xB0",
    "gbk_char_group": b"\xD6\xD0 ",
    "lead_byte_takes_space": b"\xB0 41",
    "ends_in_lead_byte": b"41 42 \xB0",
    "ends_in_lead_byte_run": b"41 \xB0\xB0\xB0",
    "full_width_space": b"41\xA1\xA1" b"42 ",
    "high_digits": b"80 FF D6 D0 ",
    "gbk_listing": b"CE C4 B1 BE ",
    "punctuation_digits": b"@@ G0 :; ",
    "zero_byte_cuts_listing": b"41 42 \x0043 ",
}

TEXT_TO_HEX = {
    "ab": b"AB",
    "crlf": b"line one\r\nline two",
    "tab": b"a\tb",
    "space": b" ",
    "gbk_zhong": b"\xD6\xD0",
    "gbk_wenben": b"\xCE\xC4\xB1\xBE",
    "byte_80": b"\x80",
    "byte_ff": b"\xFF",
    "all_high_bytes": bytes(range(0x80, 0x100)),
    "all_low_bytes": bytes(range(0x01, 0x80)),
    "zero_inside": b"AB\x00CD",
    "inline_boundary_23": b"x" * 23,
    "inline_boundary_24": b"x" * 24,
}


def write(folder: pathlib.Path, seeds: dict) -> None:
    if folder.exists():
        shutil.rmtree(folder)
    folder.mkdir(parents=True)
    for name, content in seeds.items():
        (folder / name).write_bytes(content)


def main() -> None:
    corpus = pathlib.Path(__file__).resolve().parent / "corpus"
    write(corpus / "hex_to_text", HEX_TO_TEXT)
    write(corpus / "text_to_hex", TEXT_TO_HEX)


if __name__ == "__main__":
    main()
