#!/usr/bin/env python3
"""Writes the Driver definition documents and key tables of resources/drive/.

The documents are committed; this script is how they are kept consistent
with each other (the same key table appears in six Driver definitions and,
in another shape, in Define, Keyboard and Virtual). Edit the tables here and
run it again:

    python3 tools/gen_drive_docs.py            # rewrite resources/drive/*.xml
    python3 tools/gen_drive_docs.py --check    # exit 1 when a file differs

Row order matters to the program: every lookup takes the first matching row
in document order, so the header rows (Index 1 .. 26) come before the mode
and macro rows that reuse Index 0 .. 29.
"""

import argparse
import pathlib
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
OUT = ROOT / "resources" / "drive"

# --------------------------------------------------------------------------
# Keys.
#
# One entry per key of a full-size keyboard, in HID usage order:
#   (page name, HID usage, Windows vkCode, set-1 scan code, extended flag,
#    upper-case key word, M4.0 name or None)
# The page name is the text the configuration page sends for the key; the
# key word is the name of the key in the lighting matrix where it has one.
# M4.0 names its numeric-pad, punctuation and navigation keys by their key
# word (the pad digits by "Num0" .. "Num9"); the other documents use the
# page name.
# --------------------------------------------------------------------------

LETTER_SCAN = {
    "A": 30, "B": 48, "C": 46, "D": 32, "E": 18, "F": 33, "G": 34, "H": 35,
    "I": 23, "J": 36, "K": 37, "L": 38, "M": 50, "N": 49, "O": 24, "P": 25,
    "Q": 16, "R": 19, "S": 31, "T": 20, "U": 22, "V": 47, "W": 17, "X": 45,
    "Y": 21, "Z": 44,
}


def _keys():
    keys = []
    for i, letter in enumerate("ABCDEFGHIJKLMNOPQRSTUVWXYZ"):
        keys.append((letter, 0x04 + i, ord(letter), LETTER_SCAN[letter], 0, letter, None))
    for i, digit in enumerate("1234567890"):
        keys.append((digit, 0x1E + i, ord(digit), 2 + i, 0, digit, None))
    keys += [
        ("Enter", 0x28, 13, 28, 0, "ENTER", None),
        ("Esc", 0x29, 27, 1, 0, "ESC", None),
        ("Backspace", 0x2A, 8, 14, 0, "BACKSPACE", None),
        ("Tab", 0x2B, 9, 15, 0, "TAB", None),
        ("Space", 0x2C, 32, 57, 0, "SPACEBAR", None),
        ("-", 0x2D, 189, 12, 0, "MINUS", "MINUS"),
        ("=", 0x2E, 187, 13, 0, "EQUAL", "EQUAL"),
        ("[", 0x2F, 219, 26, 0, "LBRACKET", "LBRACKET"),
        ("]", 0x30, 221, 27, 0, "RBRACKET", "RBRACKET"),
        ("\\", 0x31, 220, 43, 0, "BACKSLASH", "BACKSLASH"),
        (";", 0x33, 186, 39, 0, "SEMICOLON", "SEMICOLON"),
        ("'", 0x34, 222, 40, 0, "QUOTE", "QUOTE"),
        ("`", 0x35, 192, 41, 0, "TILDE", "TILDE"),
        (",", 0x36, 188, 51, 0, "COMMA", "COMMA"),
        (".", 0x37, 190, 52, 0, "PERIOD", "PERIOD"),
        ("/", 0x38, 191, 53, 0, "SLASH", "SLASH"),
        ("Caps Lock", 0x39, 20, 58, 0, "CAPSLOCK", None),
    ]
    f_scan = [59, 60, 61, 62, 63, 64, 65, 66, 67, 68, 87, 88]
    for i in range(12):
        keys.append(("F%d" % (i + 1), 0x3A + i, 112 + i, f_scan[i], 0, "F%d" % (i + 1), None))
    keys += [
        ("Print Screen", 0x46, 44, 55, 1, "PRINTSCREEN", None),
        ("Scroll Lock", 0x47, 145, 70, 0, "SCROLLLOCK", None),
        ("Pause", 0x48, 19, 69, 0, "PAUSE", None),
        ("Insert", 0x49, 45, 82, 1, "INSERT", "INSERT"),
        ("Home", 0x4A, 36, 71, 1, "HOME", "HOME"),
        ("Page Up", 0x4B, 33, 73, 1, "PAGEUP", "PAGEUP"),
        ("Delete", 0x4C, 46, 83, 1, "DELETE", "DELETE"),
        ("End", 0x4D, 35, 79, 1, "END", "END"),
        ("Page Down", 0x4E, 34, 81, 1, "PAGEDOWN", "PAGEDOWN"),
        ("Right", 0x4F, 39, 77, 1, "RIGHT", "RIGHT"),
        ("Left", 0x50, 37, 75, 1, "LEFT", "LEFT"),
        ("Down", 0x51, 40, 80, 1, "DOWN", "DOWN"),
        ("Up", 0x52, 38, 72, 1, "UP", "UP"),
        ("Num Lock", 0x53, 144, 69, 1, "NUMLOCK", "NUMLOCK"),
        ("Num /", 0x54, 111, 53, 1, "NUMSLASH", "NUMSLASH"),
        ("Num *", 0x55, 106, 55, 0, "NUMSTAR", "NUMSTAR"),
        ("Num -", 0x56, 109, 74, 0, "NUMMINUS", "NUMMINUS"),
        ("Num +", 0x57, 107, 78, 0, "NUMPLUS", "NUMPLUS"),
        ("Num Enter", 0x58, 13, 28, 1, "NUMENTER", "NUMENTER"),
    ]
    # Pad digits 1 .. 9 then 0, with their set-1 scan codes.
    pad_scan = {1: 79, 2: 80, 3: 81, 4: 75, 5: 76, 6: 77, 7: 71, 8: 72, 9: 73, 0: 82}
    for d in [1, 2, 3, 4, 5, 6, 7, 8, 9, 0]:
        usage = 0x62 if d == 0 else 0x58 + d
        keys.append(("Num %d" % d, usage, 96 + d, pad_scan[d], 0, "NUM%d" % d, "Num%d" % d))
    keys += [
        ("Num .", 0x63, 110, 83, 0, "NUMPERIOD", "NUMPERIOD"),
        ("Menu", 0x65, 93, 93, 1, "APPKEY", None),
        ("Left Ctrl", 0xE0, 162, 29, 0, "LCTRL", None),
        ("Left Shift", 0xE1, 160, 42, 0, "LSHIFT", None),
        ("Left Alt", 0xE2, 164, 56, 0, "LALT", None),
        ("Left Windows", 0xE3, 91, 91, 1, "LWIN", None),
        ("Right Ctrl", 0xE4, 163, 29, 1, "RCTRL", None),
        ("Right Shift", 0xE5, 161, 54, 0, "RSHIFT", None),
        ("Right Alt", 0xE6, 165, 56, 1, "RALT", None),
        ("Right Windows", 0xE7, 92, 92, 1, "RWIN", None),
    ]
    return keys


KEYS = _keys()

# The four modifier-bit rows: the bits of a HID modifier byte. They have no
# scan code of their own; "Win" stands for the left Windows key.
MODIFIERS = [
    ("Ctrl", "1", 17, "CTRL", 0xE0),
    ("Shift", "2", 16, "SHIFT", 0xE1),
    ("Alt", "4", 18, "ALT", 0xE2),
    ("Win", "8", 91, "WIN", 0xE3),
]

# W1.0 mice also offer F13 .. F20, which buttons are often bound to when a
# game should see a key no keyboard sends.
EXTRA_W1_KEYS = [
    ("F%d" % (13 + i), 0x68 + i, 124 + i, 100 + i, 0, "F%d" % (13 + i), None)
    for i in range(8)
]

# Codes the Driver definitions store off the HID usage rule. The firmware of
# these families was built against these values, so they are kept as they
# are: Enter and "-" carry the keypad usages, Page Up and Page Down those of
# keypad 9 and 3, and Right Windows the vkCode of the left Windows key.
DRIVER_CODE_EXCEPTIONS = {"Enter": 0x58, "-": 0x56, "Page Up": 0x61, "Page Down": 0x5B}
DRIVER_VK_EXCEPTIONS = {"Right Windows": 91}

assert len(KEYS) + len(MODIFIERS) == 108
assert len({k[0] for k in KEYS}) == len(KEYS)

# --------------------------------------------------------------------------
# XML writing.
# --------------------------------------------------------------------------


def esc(text):
    return (str(text).replace("&", "&amp;").replace("<", "&lt;")
            .replace(">", "&gt;").replace('"', "&quot;"))


def row(tag, attrs, children=()):
    """One element line; attrs is a list of (name, value) pairs, kept in
    order. A value of None leaves the attribute out; "" writes it empty."""
    parts = ["%s=\"%s\"" % (k, esc(v)) for k, v in attrs if v is not None]
    head = "<%s %s" % (tag, " ".join(parts)) if parts else "<%s" % tag
    if not children:
        return "  %s/>" % head
    inner = "".join("\n    " + c.strip() for c in children)
    return "  %s>%s\n  </%s>" % (head, inner, tag)


def key(name, task, index=None, length=None, code=None, addr=None, name_attr="Name", **extra):
    attrs = [(name_attr, name), ("Task", task), ("Index", index), ("Length", length),
             ("Code", code), ("Addr", addr)]
    for k in ("vkCode", "ScanCode", "flag", "Value"):
        if k in extra:
            attrs.append((k, extra[k]))
    return row("Key", attrs)


def document(root, root_attrs, rows):
    attrs = " ".join("%s=\"%s\"" % (k, esc(v)) for k, v in root_attrs)
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<%s %s>\n%s\n</%s>\n'
            % (root, attrs, "\n".join(rows), root))


def hx(value):
    return "0x%X" % value


# --------------------------------------------------------------------------
# Rows shared by the Driver definitions.
# --------------------------------------------------------------------------

HEADER = [
    ("设备信息", "deviceId", 1, 73),
    ("USB数据", "pid", 2, 4),
    ("运行模式", "mode", 3, 1),
    ("当前模式", "modeIndex", 4, 1),
    ("校验码", "checkCode", 5, 2),
    ("全局运行模式", "gFlag", 6, 1),
]

GLOBAL = [
    ("全局DPI数据", "gDpidata", 7, 83),
    ("DPI档数", "gDpicount", 8, 1),
    ("当前DPI档", "gDpicurrent", 9, 1),
    ("静默高度", "gDpisensor", 10, 1),
] + [("DPI档%d" % (n + 1), "gDpi%d" % n, 11 + n, 8) for n in range(10)] + [
    ("回报率", "greportrate", 21, 1),
    ("滚轮速度", "gwheelSpeed", 22, 1),
    ("灯光", "gLights", 23, 10),
    ("震动", "gJitters", 24, 10),
    ("声音", "gVoices", 25, 10),
    ("空", "empty", 26, 10),
]


def header_rows(count):
    rows = HEADER + (GLOBAL if count > 6 else [])
    return [key(n, t, i, l) for n, t, i, l in rows]


# Function rows of the mouse and K1.0 documents: (label, Task, Code).
FUNCTIONS = [
    ("左键", "LeftClick", "0x01,0x01,0x00,0x00"),
    ("右键", "RightClick", "0x01,0x02,0x00,0x00"),
    ("中键", "MiddleClick", "0x01,0x04,0x00,0x00"),
    ("后退", "Back", "0x01,0x08,0x00,0x00"),
    ("前进", "Forward", "0x01,0x10,0x00,0x00"),
    ("滚轮上", "ScrollUp", "0x01,0x12,0x00,0x00"),
    ("滚轮下", "ScrollDown", "0x01,0x11,0x00,0x00"),
    ("滚轮左", "ScrollLeft", "0x01,0x13,0x00,0x00"),
    ("滚轮右", "ScrollRight", "0x01,0x14,0x00,0x00"),
    ("DPI循环", "DpiCycling", "0x01,0x20,0x00,0x00"),
    ("DPI加", "DpiUp", "0x01,0x21,0x00,0x00"),
    ("DPI减", "DpiDown", "0x01,0x22,0x00,0x00"),
    ("DPI锁定", "DpiPosition", "0x01,0x23,0x00,0x00"),
    ("锁定X轴", "LockX", "0x01,0x24,0x00,0x00"),
    ("锁定Y轴", "LockY", "0x01,0x25,0x00,0x00"),
    ("模式切换", "ModeShift", "0x01,0x26,0x00,0x00"),
    ("模式减", "ModeDown", "0x01,0x27,0x00,0x00"),
    ("模式加", "ModeUp", "0x01,0x28,0x00,0x00"),
    ("回报率加", "ReportrateUp", "0x01,0x29,0x00,0x00"),
    ("回报率减", "ReportrateDown", "0x01,0x2A,0x00,0x00"),
    ("静默高度加", "LiftUp", "0x01,0x30,0x00,0x00"),
    ("静默高度减", "LiftDown", "0x01,0x31,0x00,0x00"),
    ("灯光切换", "SwitchLight", "0x07,0x01,0x00,0x00"),
    ("恢复出厂设置", "ResetToDefaults", "0x07,0x02,0x00,0x00"),
    ("媒体播放器", "MediaPlayer", "0x03,0x00,0x83,0x01"),
    ("播放/暂停", "PlayPause", "0x03,0x00,0xCD,0x00"),
    ("停止", "Stop", "0x03,0x00,0xB7,0x00"),
    ("上一曲", "PreTrack", "0x03,0x00,0xB6,0x00"),
    ("下一曲", "NextTrack", "0x03,0x00,0xB5,0x00"),
    ("音量加", "VolumeUp", "0x03,0x00,0xE9,0x00"),
    ("音量减", "VolumeDown", "0x03,0x00,0xEA,0x00"),
    ("静音", "Mute", "0x03,0x00,0xE2,0x00"),
]

# W1.0 firmware takes three-byte function codes for these; the others keep
# the four-byte codes above.
W1_FUNCTIONS = {
    "LeftClick": "0x01,0x01,0x00",
    "RightClick": "0x01,0x02,0x00",
    "MiddleClick": "0x01,0x04,0x00",
    "Back": "0x01,0x08,0x00",
    "Forward": "0x01,0x10,0x00",
    "DpiCycling": "0x02,0x01,0x00",
    "DpiUp": "0x02,0x02,0x00",
    "DpiDown": "0x02,0x03,0x00",
    "ScrollUp": "0x03,0x01,0x00",
    "ScrollDown": "0x03,0x01,0x00",
    "ScrollLeft": "0x03,0x01,0x00",
    "ScrollRight": "0x03,0x02,0x00",
}


def function_rows(family):
    rows = []
    for label, task, code in FUNCTIONS:
        length = 4
        if family == "K2.0" and task == "ScrollUp":
            code = "0x01,0x11,0x00,0x00"
        elif family == "K2.0" and task == "ScrollDown":
            code = "0x01,0x12,0x00,0x00"
        elif family == "W1.0":
            code = W1_FUNCTIONS.get(task, code)
            length = 3
        rows.append(key(label, task, length=length, code=code))
    if family == "W1.0":
        rows.append(key("禁用", "Disable", length=3, code="0x00,0x00,0x00"))
        rows.append(key("左键双击", "DoubleLeftClick", length=3, code="0x04,0x10,0x02"))
    return rows


def template_rows(family):
    keyboard = family.startswith("K")
    rows = []
    if family == "K2.0":
        rows.append(key("组合键", "HotKey", length=15,
                        code="0x01,0x00,0x00,0x00,0x00,0x00,0x00,0x00,0x00,0x00,0x00,0x02,{0},{1},{2}"))
    else:
        rows.append(key("组合键", "HotKey", length=4, code="0x02,{0},{1},{2}"))
    rows.append(key("宏", "Macro", length=4, code="0x04,{0},{1},{2}"))
    rows.append(key("连发", "GKey", length=4, code="0x05,{0},{1},{2}"))
    if keyboard:
        rows.append(key("重复按键", "repeatKey", length=4, code="0x05,{0},{1},{2}"))
    g = ("gLeft", "gRight", "gMiddle") if family == "K2.0" else ("GLeft", "GRight", "GMiddle")
    rows.append(key("宏左键", g[0], length=1, code="0x81"))
    rows.append(key("宏右键", g[1], length=1, code="0x82"))
    rows.append(key("宏中键", g[2], length=1, code="0x84"))
    # Macro step layouts; the lower-case aliases are old rows that spell
    # their label attribute "name".
    rows.append(key("鼠标按下", "mouseDownMacro", length=3, code="0x81,{0},0x00"))
    rows.append(key("鼠标按下", "mousedown", length=3, code="0x81,{0},0x00", name_attr="name"))
    rows.append(key("鼠标弹起", "mouseUpMacro", length=3, code="0x01,{0},0x00"))
    rows.append(key("鼠标弹起", "mouseup", length=3, code="0x01,{0},0x00", name_attr="name"))
    rows.append(key("按键按下", "down", length=3, code="0x84,{0},0x00"))
    rows.append(key("按键按下", "Keydown", length=3, code="0x84,{0},0x00", name_attr="name"))
    rows.append(key("按键弹起", "up", length=3, code="0x04,{0},0x00"))
    rows.append(key("按键弹起", "Keyup", length=3, code="0x04,{0},0x00", name_attr="name"))
    rows.append(key("延迟", "delayTime", length=3, code="0x06,{0},{1}"))
    rows.append(key("延迟", "delayTime", length=3, code="0x06,{0},{1}"))
    rows.append(key("灯光", "light", 23, 10, ",".join("{%d}" % i for i in range(10))))
    # Mouse-button codes inside macros, looked up by the button's word.
    rows.append(key("左键", "左键", length=1, code="0x81"))
    rows.append(key("右键", "右键", length=1, code="0x82"))
    if family == "M4.0":
        rows.append(key("中键", "中键", length=1, code="0x84"))
    if family == "K1.0":
        rows.append(key("键盘按键", "KeyboardKey", code="Code"))
    if not keyboard:
        rows.append(row("Key", [("Name", "鼠标左键"), ("Task", "mouseLeft"), ("Value", "LBUTTON")]))
        rows.append(row("Key", [("Name", "鼠标右键"), ("Task", "mouseRight"), ("Value", "RBUTTON")]))
        rows.append(row("Key", [("Name", "鼠标中键"), ("Task", "mouseMiddle"), ("Value", "MBUTTON")]))
    return rows


def key_table_rows(family):
    rows = []
    keys = KEYS + (EXTRA_W1_KEYS if family == "W1.0" else [])
    for name, usage, vk, scan, ext, word, m4name in keys:
        task = m4name if (family == "M4.0" and m4name) else name
        usage = DRIVER_CODE_EXCEPTIONS.get(name, usage)
        vk = DRIVER_VK_EXCEPTIONS.get(name, vk)
        rows.append(key(name, task, code="%02X" % usage, vkCode=vk, ScanCode=scan,
                        flag=ext, Value=word))
    for name, bit, vk, word, _usage in MODIFIERS:
        rows.append(key(name, name, code=bit, vkCode=vk, ScanCode="", flag="", Value=word))
    return rows


# --------------------------------------------------------------------------
# The Driver definitions.
# --------------------------------------------------------------------------

# Macro slots stored off the 0xC8 rule; they are kept as the firmware
# tables have them.
M12_MACRO_EXCEPTIONS = {6: "0xEBO", 7: "0xE78", 10: "0x11DO", 14: "0x14FO",
                        20: "0x19AO", 24: "0x1CCO"}
M4_MACRO_EXCEPTIONS = {19: "0x18D8", 23: "0x1BF8", 24: "0x1DF8", 25: "0x1EC0",
                       26: "0x1F88", 27: "0x2050", 28: "0x2118", 29: "0x21E0"}


def macro_address(family, n):
    if family == "M4.0":
        return M4_MACRO_EXCEPTIONS.get(n, hx(0xC00 + 0xC8 * n))
    return M12_MACRO_EXCEPTIONS.get(n, hx(0xA00 + 0xC8 * n))


def mouse_profile_rows(button_length):
    jitter = "{0},{1},0x00,0x00,0x00,0x00,0x00,0x00,0x00,0x00"
    rows = [
        key("模式回报率", "pReportrate", 40, 1),
        key("模式滚轮速度", "pWheelSpeed", 41, 1),
        key("模式灯光", "pLights", 42, 10, "{0},{1},{2},{3},{4},{5},{6},{7},{8},0x00"),
        key("模式震动", "pJitters", 43, 10, jitter),
        key("模式声音", "pVoices", 44, 10, jitter),
        key("空", "empty", 45, 10),
        key("模式DPI数据", "pDpiData", 46, 83),
        key("模式DPI档数", "pDpiCount", 47, 1),
        key("模式当前DPI档", "pDpiCurrent", 48, 1),
        key("模式静默高度", "pDpiSensor", 49, 1),
    ]
    rows += [key("模式DPI档%d" % (n + 1), "pDpi%d" % n, 50 + n, 8) for n in range(10)]
    rows.append(key("按键数据", "pButtonData", 60, 120))
    rows += [key("按键%d" % (n + 1), "pButton%d" % n, 61 + n, button_length) for n in range(30)]
    return rows


def mouse_document(family):
    rows = header_rows(26)
    rows += mouse_profile_rows(4 if family == "M1.0" else 8)
    rows += [key("模式%d" % (n + 1), "mode%d" % n, n, 300, hx(0x106 + 0x12C * n)) for n in range(6)]
    rows.append(key("宏数据", "MacroData", length=30, code="0xA00"))
    rows += [key("宏%d" % (n + 1), "Macro%d" % n, n, 200, macro_address(family, n)) for n in range(30)]
    rows += function_rows(family) + template_rows(family) + key_table_rows(family)
    return document("Driver", [("Name", "鼠标 " + family), ("Version", family)], rows)


# Key labels of the K1.0 per-key rows: every key of the table in usage order
# except Right Windows, whose place that keyboard gives to its Fn key, then
# the lighting key.
K1_BUTTON_LABELS = [k[0] for k in KEYS if k[0] != "Right Windows"] + ["Led"]
assert len(K1_BUTTON_LABELS) == 104


def k1_document():
    rows = header_rows(6)
    rows.append(key("灯光", "Lights", 21, 11, ",".join("{%d}" % i for i in range(11))))
    rows.append(key("按键灯光", "KeyLights", 43, 18))
    rows.append(key("按键数据", "pButtonData", length=120))
    rows += [key(label, "Button%d" % n, 44 + n, 4) for n, label in enumerate(K1_BUTTON_LABELS)]
    rows += [key("G%d" % (n + 1), "Button%d" % (104 + n), 174 + n, 4) for n in range(20)]
    rows += [key("模式%d" % (n + 1), "mode%d" % n, n, 300, hx(0x94 + 0x2EE * n)) for n in range(6)]
    rows.append(key("宏数据", "MacroData", length=10, code="0x1250"))
    rows += [key("宏%d" % (n + 1), "Macro%d" % n, n, 200, hx(0x1250 + 0xC8 * n)) for n in range(10)]
    rows += function_rows("K1.0") + template_rows("K1.0") + key_table_rows("K1.0")
    return document("Driver", [("Name", "键盘 K1.0"), ("Version", "K1.0")], rows)


def k2_document():
    rows = header_rows(6)
    rows.append(key("灯光", "Lights", 21, 10, "{0},{1},{2},{3},{4},{5},{6},{7},{8},{8}"))
    rows.append(key("按键灯光", "KeyLights", 43, 18))
    rows.append(key("按键数据", "pButtonData", 60, 120))
    rows.append(key("模式1", "mode0", 0, 2250, "0x37"))
    # K2.0 keeps macros in numbered storage units; the store starts at 181.
    rows.append(key("宏数据", "MacroData", length=4000, code="181"))
    units = {0: "182", 1: "183", 2: "184"}
    rows += [key("宏%d" % (n + 1), "Macro%d" % n, n, 200, units.get(n, hx(0x14A8 + 0xC8 * (n - 3))))
             for n in range(30)]
    rows += function_rows("K2.0") + template_rows("K2.0") + key_table_rows("K2.0")
    return document("Driver", [("Name", "键盘 K2.0"), ("Version", "K2.0")], rows)


# Button addresses of W1.0 as the firmware maps them; buttons 6/11 and 7/12
# share a location, as do their hotkey spaces.
W1_BUTTON_ADDR = [0x60, 0x64, 0x68, 0x70, 0x6C, 0x88, 0x8C, 0x7C, 0x80, 0x84,
                  0x88, 0x8C, 0x90, 0x94, 0x98, 0x9C]
W1_HOTKEY_ADDR = [0x100, 0x120, 0x140, 0x180, 0x160, 0x240, 0x260, 0x1E0, 0x200,
                  0x220, 0x240, 0x260, 0x280, 0x2A0, 0x2C0, 0x2E0]


def w1_document():
    rows = header_rows(26)
    rows += [
        key("模式回报率", "pReportrate", 40, 1, addr="0x00"),
        key("模式滚轮速度", "pWheelSpeed", 41, 1),
        key("灯光颜色", "pLights", 42, "0a", addr="0x54"),
        key("灯光亮度", "pLights", "", 1, addr="0x5A"),
        key("呼吸速度", "pLights", "", 1, addr="0x0C"),
        key("灯带设置", "pJitters", 43, 6, "{0},{1},{2},{3},{4},{5},", addr="0xA0"),
        key("声音", "pVoices", 44, 1, addr="0x08"),
        key("当前DPI档", "pDpiCurrent", 48, 1, addr="0x04"),
    ]
    rows += [key("DPI档%d" % (n + 1), "pDpi%d" % n, 50 + n, 3, addr="0x%02X" % (0x0C + 4 * n))
             for n in range(8)]
    rows += [key("DPI档%d颜色" % (n + 1), "pDpi%d" % n, 201 + n, 3, addr="0x%02X" % (0x2C + 4 * n))
             for n in range(8)]
    rows += [key("按键%d" % (n + 1), "pButton%d" % n, 61 + n, 3, addr="0x%02X" % W1_BUTTON_ADDR[n])
             for n in range(16)]
    rows += [key("按键%d" % (n + 1), "pButton%d" % n, 61 + n, 8) for n in range(16, 30)]
    rows += [key("按键%d组合键" % (n + 1), str(61 + n), length=20, addr=hx(W1_HOTKEY_ADDR[n]))
             for n in range(16)]
    rows += [key("宏%d" % (n + 1), "Macro%d" % n, n, 383, addr=hx(0x300 + 0x180 * n)) for n in range(15)]
    rows += [key("宏%d" % (n + 1), "Macro%d" % n, n, 200, macro_address("M1.0", n)) for n in range(15, 30)]
    rows += function_rows("W1.0") + template_rows("W1.0") + key_table_rows("W1.0")
    return document("Driver", [("Name", "鼠标 W1.0"), ("Version", "W1.0")], rows)


# --------------------------------------------------------------------------
# Key tables handed to the page and to the software remapping.
# --------------------------------------------------------------------------

# Mouse buttons: (word, function, vkCode, button-down state bit, HID button
# bit). The state bit is what the input filter reports for a press and,
# with flag 10, the key of a trigger.
MOUSE_BUTTONS = [
    ("左键", "LeftClick", 1, 0x001, "1"),
    ("右键", "RightClick", 2, 0x004, "2"),
    ("中键", "MiddleClick", 4, 0x010, "4"),
    ("后退", "Back", 5, 0x040, "8"),
    ("前进", "Forward", 6, 0x100, "10"),
]
WHEEL_STATE = 0x400


def define_document():
    rows = []
    for word, task, vk, state, bits in MOUSE_BUTTONS:
        rows.append(row("key", [("name", word), ("task", task), ("vkCode", vk), ("scanCode", state),
                                ("flag", 10), ("hidCode", bits), ("value", word)]))
    rows.append(row("key", [("name", "上滚"), ("task", "WheelUp"), ("vkCode", ""),
                            ("scanCode", WHEEL_STATE), ("flag", 10), ("hidCode", 1), ("value", 120)]))
    rows.append(row("key", [("name", "下滚"), ("task", "WheelDown"), ("vkCode", ""),
                            ("scanCode", WHEEL_STATE), ("flag", 10), ("hidCode", -1), ("value", -120)]))
    for name, usage, vk, scan, ext, _word, _m4 in KEYS:
        rows.append(row("key", [("name", name), ("task", name), ("vkCode", vk), ("scanCode", scan),
                                ("flag", ext), ("hidCode", "%02X" % usage), ("value", name)]))
    for name, _bit, vk, _word, usage in MODIFIERS:
        rows.append(row("key", [("name", name), ("task", name), ("vkCode", vk), ("scanCode", ""),
                                ("flag", ""), ("hidCode", "%02X" % usage), ("value", name)]))
    # The remapping configuration spells the left Windows key "Left Win"
    # when it expands a bare "Win"; give that spelling its code too.
    rows.append(row("key", [("name", "Left Windows"), ("task", "Left Windows"), ("vkCode", 91),
                            ("scanCode", 91), ("flag", 1), ("hidCode", "E3"), ("value", "Left Win")]))
    return document("keyboard", [("name", "编码值表")], rows)


def config_row(name, vk, scan, flag, hid, command, desc, kind, children=()):
    return row("key", [("name", name), ("vkcode", vk), ("scancode", scan), ("flag", flag),
                       ("hidcode", hid), ("command", command), ("desc", desc), ("type", kind),
                       ("playtype", 0), ("playcount", 1), ("playdelay", 0), ("playauxiliary", 0)],
               children)


def mouse_table_document():
    rows = [config_row(word, vk, state, 10, bits, task, word, "Mouse")
            for word, task, vk, state, bits in MOUSE_BUTTONS]
    return document("configuration", [("name", "鼠标按键")], rows)


def keyboard_table_document():
    rows = [config_row(name, vk, scan, ext, "%02X" % usage, name, word, "Keyboard")
            for name, usage, vk, scan, ext, word, _m4 in KEYS]
    rows += [config_row(name, vk, "", "", "%02X" % usage, name, word, "Keyboard")
             for name, _bit, vk, word, usage in MODIFIERS]
    return document("configuration", [("name", "键盘按键")], rows)


def virtual_document():
    # The buttons the input filter can take over (the left button is never
    # captured), each assigned its own function until the page changes it.
    rows = [config_row(word, vk, state, 10, bits, task, word, "MouseFunction",
                       ['<task value="%s"/>' % task])
            for word, task, vk, state, bits in MOUSE_BUTTONS if task != "LeftClick"]
    return document("map", [("name", "虚拟按键")], rows)


DOCUMENTS = {
    "M1.0": lambda: mouse_document("M1.0"),
    "M2.0": lambda: mouse_document("M2.0"),
    "M4.0": lambda: mouse_document("M4.0"),
    "K1.0": k1_document,
    "K2.0": k2_document,
    "W1.0": w1_document,
    "Define": define_document,
    "Mouse": mouse_table_document,
    "Keyboard": keyboard_table_document,
    "Virtual": virtual_document,
}


def qrc_text():
    lines = ['<!DOCTYPE RCC>', '<RCC version="1.0">', '  <qresource prefix="/drive">']
    lines += ['    <file alias="%s">drive/%s.xml</file>' % (n, n) for n in DOCUMENTS]
    # The family table is kept by hand beside the generated documents.
    lines += ['    <file alias="families.json">drive/families.json</file>']
    lines += ['  </qresource>', '</RCC>', '']
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true",
                        help="compare instead of writing; exit 1 on a difference")
    args = parser.parse_args()
    outputs = {OUT / ("%s.xml" % n): make() for n, make in DOCUMENTS.items()}
    outputs[ROOT / "resources" / "drive.qrc"] = qrc_text()
    stale = []
    for path, text in outputs.items():
        old = path.read_text(encoding="utf-8") if path.exists() else None
        if old == text:
            continue
        stale.append(path)
        if not args.check:
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_text(text, encoding="utf-8")
    for path in stale:
        print(("differs: " if args.check else "wrote: ") + str(path.relative_to(ROOT)))
    return 1 if (args.check and stale) else 0


if __name__ == "__main__":
    sys.exit(main())
