#!/usr/bin/env python3
"""Writes the seed corpora under fuzz/corpus/ byte for byte.

The seeds hold CR LF and leading control bytes, which are easy to spoil by hand, so this
script is where they are read and changed. Run it from anywhere; it rewrites every seed.
"""

import pathlib
import shutil

CORPUS = pathlib.Path(__file__).resolve().parent / "corpus"
CRLF = b"\r\n"


def rec(*fields: bytes) -> bytes:
    return b",".join(fields) + CRLF


def q(text: bytes) -> bytes:
    return b'"' + text + b'"'


def record_seed(fields: int, body: bytes, limit: int = 0) -> bytes:
    # Byte 0 of fuzz_record_reader: field count 1 + b % 25, early-stop limit b // 25.
    return bytes([limit * 25 + fields - 1]) + body


PENDING_1 = [
    b"#2026-12-07 08:30:00#", q(b"QM00007"), q(b"Acme Title"), q(b""), q(b"12 Oak Lane"), q(b""),
    q(b"Springfield"), q(b"J. Doe"), q(b"R.Full"), q(b"M.Tax"), b"#2026-12-14#", q(b"Pat Lee*"),
    q(b"jsmith"), b"150", b"35.5", q(b"\r\n12/07 08:31  Called county, left message [JS]"), q(b""),
]
PENDING_2 = [
    q(b"2026-12-01 09:00:00"), q(b"CUST-44"), q(b""), q(b"Smith & Jones"), q(b"1 Court Sq"),
    q(b"Apt 2"), q(b"Peoria"), q(b"R. Roe"), q(b"C.Full"), q(b""), q(b"12/20/2026*"), q(b""),
    q(b"mjones"), b".5", b"0",
    q(b"\r\n12/02 10:00  Bill in advance pending completion [MJ]"
      b"\r\n12/03 11:15  Title report sent [MJ]"),
    q(b"\r\n12/02 10:05  Please pull deeds [MJ] via eml"),
]
COMPLETED_TAIL = [b"#2026-12-10 16:45:00#", b"2.25"]
ARCHIVES_TAIL = [q(b"S-1001"), q(b"12/31/2026")]

RECORD_SEEDS = {
    "services": record_seed(2, rec(q(b"R.Full"), q(b"150.00")) + rec(q(b"M.Tax"), q(b".50"))
                            + rec(q(b"C.Copy"), q(b".00")), limit=1),
    "numbers": record_seed(4, rec(b"150", b".5", b"-.25", b"35.5") + rec(b"0", b"-2.25", b"1e3", b"+7")),
    "literals": record_seed(3, rec(b"#2026-12-07#", b"#2026-12-07 08:30:00#", b"#TRUE#")
                            + rec(b"#2024-02-29#", b"#1999-12-31 23:59:59#", b"#FALSE#")),
    "multiline": record_seed(2, rec(q(b"Note one, with a comma\r\nand a second line"), q(b"x"))
                             + rec(q(b""), q(b"\r\n12/07 08:31  Text [JS]"))),
    "pending": record_seed(17, rec(*PENDING_1) + rec(*PENDING_2), limit=1),
    "completed": record_seed(19, rec(*PENDING_1, *COMPLETED_TAIL)),
    "archived": record_seed(21, rec(*PENDING_2, *COMPLETED_TAIL, *ARCHIVES_TAIL), limit=2),
    "config_company": record_seed(7, rec(q(b"Quill Title Search"), q(b"12 Elm Street"), q(b"Suite 4"),
                                         q(b"Springfield, IL 62701"), q(b"(217) 555-0199"),
                                         q(b"(217) 555-0198"), q(b"office@quill.example"))),
    # Hand edits the reader takes: blanks, text after a closing quote, bare words, lone LF.
    "hand_edited": record_seed(3, b'  "a" junk , bare text  ,12 \r\n"b",#TRUE# x,\n'),
    "empty_fields": record_seed(3, rec(q(b""), b"", b"") + b"   "),
    # Line ends end fields too: 2-field lines read as 4-field records.
    "line_as_field": record_seed(4, rec(q(b"a"), q(b"b")) + rec(q(b"c"), q(b"d"))),
    "unclosed": record_seed(2, b'"open,1\r\n'),
    "bad_literal": record_seed(2, rec(b"#2026-13-01#", b"1")),
}

DIRECTORY_SEEDS = {
    "companies": b"Acme Title _ 1 Main St _  _ Springfield, IL 62701 _ (217) 555-0100 _ "
                 b"(217) 555-0101 _ orders@acme.example _ \r\n"
                 b"A _ B _  _ C _ D _ E _ F _ \r\n",
    "attorneys": b"Smith & Jones LLP _ Ann Smith _ 1 Court Sq _ Suite 2 _ Peoria, IL 61602 _ "
                 b"(309) 555-0140 _ (309) 555-0141 _ ann@sj.example\r\n"
                 b"Bob Roe _ Bob Roe _ 9 Lake Rd _  _ Normal, IL 61761 _  _ (309) 555-0177 _ "
                 b"bob@roe.example\r\n",
    "searchers": b"Pat Lee _  _  _  _  _ (217) 555-0123 _ Verizon _ pat@lee.example\r\n"
                 b"Kim Cho _ 4 Pine St _  _ Decatur, IL 62521 _ (217) 555-0150 _ (217) 555-0151 _ "
                 b"T-Mobile _ kim@cho.example\r\n",
    # Hand edits: an empty field with one blank, no last blank, too few separators, a lone LF.
    "hand_edited": b"A _ _ C _ D _ E _ F _ G _ H\r\nA _ B _ C _ D _ E _ F _ G _\n"
                   b"Only _ three _ fields\rNo separators at all",
}

BILLING = (b"Acme Title_Acme Title Co._PO Box 9_Springfield, IL 62701_\r\n"
           b"Smith & Jones_Smith & Jones LLP_1 Court Sq_Suite 2_Peoria, IL 61602\r\n"
           b"Acme Title, Decatur_Acme Decatur_4 Pine St_Decatur, IL 62521_\r\n"
           b"Acme Title_Acme Billing_PO Box 10_Springfield, IL 62701_Attn: A_P\r\n")


def override_seed(key: bytes, body: bytes) -> bytes:
    return bytes([len(key)]) + key + body


OVERRIDE_SEEDS = {
    "last_wins": override_seed(b"Acme Title", BILLING),
    "firm": override_seed(b"Smith & Jones", BILLING),
    "missing": override_seed(b"Nobody", BILLING),
    "short_line": override_seed(b"Roe", b"Roe_Bob Roe_9 Lake Rd\r\nRoe\r\n"),
    "empty_key": override_seed(b"", b"K_1_2_3_4\nL_a_b_c_d_e"),
}

CONFIG_COMPANY = rec(q(b"Quill Title Search"), q(b"12 Elm Street"), q(b"Suite 4"),
                     q(b"Springfield, IL 62701"), q(b"(217) 555-0199"), q(b"(217) 555-0198"),
                     q(b"office@quill.example"))
CONFIG_4 = CONFIG_COMPANY + rec(q(b"Illinois")) + rec(b"3", b"2", b"1", b"#FALSE#") \
    + rec(q(b"/srv/quill/data/"))
MAIL = rec(q(b"smtp.example.com"), b"587", q(b"starttls"), q(b"office"), q(b"secret"),
           q(b"office@quill.example"), q(b"/usr/sbin/sendmail"))

CONFIG_SEEDS = {
    "four_records": CONFIG_4,
    "five_records": CONFIG_4 + MAIL,
    "defaults": rec(*[q(b"")] * 7) + rec(q(b"")) + rec(b"0", b".5", b"0", b"#TRUE#") + rec(q(b""))
                + CRLF,
    "tls_mail": CONFIG_4 + rec(q(b"mail.example.com"), b"465", q(b"tls"), q(b""), q(b""),
                               q(b"a@b.example"), q(b"")),
    "empty": b"",
    # Faults reported against the storage library; they fail until fixed there.
    "reported_quote_in_bare": rec(b'a"b', *[q(b"")] * 6) + rec(q(b"IL")) + rec(b"3", b"2", b"1", b"#FALSE#")
                              + rec(q(b"")),
    "reported_folder_without_slash": CONFIG_COMPANY + rec(q(b"Illinois")) + rec(b"3", b"2", b"1", b"#FALSE#")
                                     + rec(q(b"/srv/quill/data")),
    "three_records": CONFIG_COMPANY + rec(q(b"Illinois")) + rec(b"3", b"2", b"1", b"#FALSE#"),
    "bad_record_3": CONFIG_COMPANY + rec(q(b"Illinois")) + rec(q(b"3"), b"2", b"1", b"0")
                    + rec(q(b"")),
}

ORDER_SEEDS = {
    "pending": b"\x00" + rec(*PENDING_1) + rec(*PENDING_2),
    "completed": b"\x01" + rec(*PENDING_1, *COMPLETED_TAIL) + rec(*PENDING_2, *COMPLETED_TAIL),
    "archives": b"\x02" + rec(*PENDING_1, *COMPLETED_TAIL, *ARCHIVES_TAIL)
                + rec(*PENDING_2, *COMPLETED_TAIL, *ARCHIVES_TAIL),
    "empty": b"\x00",
    # Faults reported against the storage library; they fail until fixed there.
    "reported_literal_file_number": b"\x00" + rec(b"#2026-12-07 08:30:00#", b"#2026-12-07#",
                                                   *PENDING_1[2:]),
    "reported_due_year_999": b"\x00" + rec(*PENDING_1[:10], q(b"1/1/0999*"), *PENDING_1[11:]),
    "reported_statement_year_999": b"\x02" + rec(*PENDING_1, *COMPLETED_TAIL, q(b"S-1002"),
                                                  q(b"12/31/0999")),
}

CP1252_SEEDS = {
    "file_bytes": b"Caf\xe9 \x80100 \x93quoted\x94 \x96 na\xefve _ \xa0\xff\r\n",
    "unassigned": b"\x81\x8d\x8f\x90\x9d",
    "typed_utf8": "Caf\u00e9 \u20ac100 \u201cquoted\u201d \u00e6 \u4e2d \U0001F600".encode(),
    # Reported: overlong forms of '"' and LF are written as those very bytes.
    "reported_overlong": b"\xc0\xa2 \xe0\x80\x8a",
    "broken_utf8": b"\xc3A \xe2\x82 \xff \xed\xa0\x80 \xf4\x90\x80\x80 \xe2\x82",
}

TARGETS = {
    "fuzz_record_reader": RECORD_SEEDS,
    "fuzz_directory_split": DIRECTORY_SEEDS,
    "fuzz_config_reader": CONFIG_SEEDS,
    "fuzz_override_lookup": OVERRIDE_SEEDS,
    "fuzz_order_file": ORDER_SEEDS,
    "fuzz_cp1252": CP1252_SEEDS,
}


def main() -> None:
    for target, seeds in TARGETS.items():
        folder = CORPUS / target
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        for name, data in seeds.items():
            (folder / name).write_bytes(data)


if __name__ == "__main__":
    main()
